#include "host/plugin_state_win32.h"

namespace stz {
namespace {
PluginState plugin;
}

PluginState& Plugin() { return plugin; }

RequestSnapshot TakeRequestSnapshot() {
    std::lock_guard guard(plugin.lock);
    return RequestSnapshot{plugin.track, plugin.session};
}

}  // namespace stz
