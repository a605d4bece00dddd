// Everything an integration test needs, made in the right order: the
// current user's hive redirected, the service listening and named in
// STANZASCOPIUM_SERVICE, then the player with the DLL loaded.
//
//   TestRig rig;                       // or TestRig rig(options)
//   ASSERT_TRUE(rig.Ready()) << rig.Error();
//   rig.player.Init(9, 0x21);
//   rig.player.Enable();
//   rig.service.WaitForRequests(standin::kSessionPath, 1, 20000);  // pumps meanwhile
//   rig.player.Play(Song());
//   rig.player.PumpFor(500);
//   auto requests = rig.service.Requests(standin::kStatusPath);
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "player_win32.h"
#include "service_win32.h"
#include "timeline.h"
#include "user_hive_win32.h"

namespace stz::standin {

struct RigOptions {
    bool isolateRegistry = true;
    // STANZASCOPIUM_SERVICE; empty: the stand-in service's own endpoint.
    std::string endpoint;
    // Fault set before the DLL loads (Fault::Refuse: nothing ever listens).
    Fault fault = Fault::None;
    std::optional<std::string> sessionBody;
    std::optional<std::string> sessionReply;
    bool loadDll = true;
    std::wstring dllPath;  // empty: DefaultPluginPath()
    // Where the timeline is echoed as it happens; when null, stderr if the
    // environment variable STANDIN_TIMELINE is set, else nowhere.
    std::FILE* echo = nullptr;
};

class TestRig {
public:
    TestRig() : TestRig(RigOptions{}) {}
    explicit TestRig(const RigOptions& options);
    ~TestRig();
    TestRig(const TestRig&) = delete;
    TestRig& operator=(const TestRig&) = delete;

    bool Ready() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    // The whole timeline, one line each, for a failure message.
    std::string TimelineText() const;

    // Made in this order and undone in reverse: the hive is restored last.
    Timeline timeline;
    std::optional<IsolatedUserHive> hive;  // empty when not isolated
    StandinService service;
    Player player;

private:
    std::string error_;
};

// Sets STANZASCOPIUM_SERVICE for this process, for both the system's and the
// C runtime's copy of the environment; empty removes it.
void SetServiceVariable(const std::string& value);

}  // namespace stz::standin
