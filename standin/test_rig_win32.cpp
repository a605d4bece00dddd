#include "test_rig_win32.h"

#include <cstdio>
#include <cstdlib>

#include "plugin_path_win32.h"

namespace stz::standin {
namespace {

std::FILE* EchoStream(std::FILE* wanted) {
    if (wanted != nullptr) return wanted;
    return std::getenv("STANDIN_TIMELINE") != nullptr ? stderr : nullptr;
}

}  // namespace

void SetServiceVariable(const std::string& value) {
    SetEnvironmentVariableA("STANZASCOPIUM_SERVICE", value.empty() ? nullptr : value.c_str());
    _putenv_s("STANZASCOPIUM_SERVICE", value.c_str());
}

TestRig::TestRig(const RigOptions& options)
    : timeline(EchoStream(options.echo)), service(timeline), player(timeline) {
    // Redirected before the DLL loads, so that everything it reads from and
    // writes to the current user's hive lands in the test's own key.
    if (options.isolateRegistry) {
        hive.emplace();
        if (!hive->Active()) error_ = "could not redirect HKEY_CURRENT_USER";
    }
    if (options.sessionBody) service.SetSessionBody(*options.sessionBody);
    if (options.sessionReply) service.SetSessionReply(*options.sessionReply);
    if (!service.Start()) error_ = "the stand-in service could not listen";
    if (options.fault != Fault::None) service.SetFault(options.fault);
    service.SetWaitPump([this](int ms) { player.PumpFor(ms); });
    SetServiceVariable(options.endpoint.empty() ? service.Endpoint() : options.endpoint);
    if (options.loadDll && error_.empty()) {
        const std::wstring path = options.dllPath.empty() ? DefaultPluginPath() : options.dllPath;
        if (!player.Load(path)) error_ = "the plug-in DLL did not load";
    }
}

TestRig::~TestRig() {
    // The player (cleaning up and unloading the DLL) goes first, as members
    // go in reverse order; the pump must not outlive it.
    service.SetWaitPump(nullptr);
}

std::string TestRig::TimelineText() const {
    std::string text;
    for (const auto& line : timeline.Lines()) text += line + "\n";
    return text;
}

}  // namespace stz::standin
