// standin-player.exe: runs a scenario against the plug-in DLL and the
// stand-in service and prints the timeline.
//
//   standin-player.exe [--dll PATH] --scenario PATH [--shared-registry]
//   standin-player.exe --warm-up
//
// --warm-up makes and closes the player's windows and exits: the first
// process with windows in a Wine session starts Wine's helper processes,
// which keep its standard output open; a test runner would then wait for
// them. Run it once, with its output elsewhere, before the tests.

#include <windows.h>

#include <cstdio>
#include <string>

#include "crash_report_win32.h"
#include "plugin_path_win32.h"
#include "scenario.h"
#include "scenario_runner_win32.h"
#include "test_rig_win32.h"

using namespace stz::standin;

namespace {

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    return text;
}

int Usage() {
    std::fprintf(stderr, "usage: standin-player.exe [--dll PATH] --scenario PATH [--shared-registry]\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    InstallCrashReport();
    if (argc == 2 && std::wstring(argv[1]) == L"--warm-up") {
        Timeline timeline;
        Player player(timeline);
        player.PumpFor(200);
        return 0;
    }
    std::wstring dll = DefaultPluginPath();
    std::wstring scenarioPath;
    bool isolate = true;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--dll" && i + 1 < argc) dll = argv[++i];
        else if (arg == L"--scenario" && i + 1 < argc) scenarioPath = argv[++i];
        else if (arg == L"--shared-registry") isolate = false;
        else return Usage();
    }
    if (scenarioPath.empty()) return Usage();
    const auto text = ReadWholeFile(scenarioPath);
    if (!text) {
        std::fprintf(stderr, "cannot read the scenario file\n");
        return 2;
    }
    const ParsedScenario scenario = ParseScenario(*text);
    for (const auto& error : scenario.errors) std::fprintf(stderr, "scenario: %s\n", error.c_str());
    if (!scenario.errors.empty()) return 2;

    RigOptions options;
    options.isolateRegistry = isolate;
    options.dllPath = dll;
    options.echo = stdout;
    TestRig rig(options);
    if (!rig.Ready()) {
        std::fprintf(stderr, "stand-in: %s\n", rig.Error().c_str());
        return 1;
    }
    const int failures = RunScenario(scenario.actions, rig.player, rig.service, rig.timeline, dll);

    const auto requests = rig.service.Requests();
    int verified = 0, signedRequests = 0;
    for (const auto& r : requests) {
        if (r.signature == SignatureCheck::Absent) continue;
        ++signedRequests;
        if (r.signature != SignatureCheck::Bad) ++verified;
    }
    std::printf("\nsummary: %zu requests received, %d of %d signatures verified; "
                "longest call into the plug-in %.1f ms, longest message dispatch %.1f ms\n",
                requests.size(), verified, signedRequests, rig.player.LongestCallMs(),
                rig.player.LongestDispatchMs());
    std::fflush(stdout);
    return failures == 0 && verified == signedRequests ? 0 : 1;
}
