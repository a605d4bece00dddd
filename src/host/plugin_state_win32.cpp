#include "host/plugin_state_win32.h"

namespace stz {
namespace {
PluginState plugin;
}

PluginState& Plugin() { return plugin; }

RequestSnapshot TakeRequestSnapshotLocked(const PluginState& state) {
    return RequestSnapshot{state.track, state.session};
}

RequestSnapshot TakeRequestSnapshot() {
    std::lock_guard guard(plugin.lock);
    return TakeRequestSnapshotLocked(plugin);
}

}  // namespace stz
