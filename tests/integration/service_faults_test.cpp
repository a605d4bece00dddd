// The plug-in against a late, broken or absent service: what it sends
// then, and that the player's thread never waits on the network.
#include <gtest/gtest.h>

#include "rig_helpers.h"

namespace stz::standin {
namespace {

constexpr int kTickMs = 1000;

// Longest tolerated call or message dispatch on the player's thread. Calls
// take milliseconds; this leaves room for a slow emulated machine, not for
// a network wait.
constexpr double kBlockedMs = 1500;

bool SessionAnswered(const std::vector<ReceivedRequest>& requests) {
    for (const auto& r : requests) {
        if (r.path == kSessionPath && r.answeredMs >= 0) return true;
    }
    return false;
}

// A song that starts before the handshake is over is reported once the
// session is ready; one that also stopped before then is not reported.
TEST(SessionTiming, PlayBeforeTheHandshakeIsReportedWhenTheSessionIsReady) {
    for (const bool stopBeforeReady : {false, true}) {
        SCOPED_TRACE(stopBeforeReady ? "play, stop, then session" : "play, then session");
        TestRig rig;
        ASSERT_TRUE(rig.Ready()) << rig.Error();
        rig.service.SetDelay(3000);
        rig.service.SetFault(Fault::Delayed, kSessionPath);
        rig.player.Init(9, 0x21);
        rig.player.Enable();
        rig.player.Play(Song(u"Early Artist", u"Early Song", 200000));
        rig.player.PumpFor(500);
        if (stopBeforeReady) rig.player.Stop();
        ASSERT_TRUE(rig.service.WaitUntil(SessionAnswered, 15000)) << rig.TimelineText();
        EXPECT_TRUE(rig.service.Requests(kStatusPath).empty()) << "a status before the session was ready";
        rig.service.WaitForRequests(kStatusPath, 1, 3000);
        rig.player.PumpFor(1000);
        const auto statuses = rig.service.Requests(kStatusPath);
        if (stopBeforeReady) {
            EXPECT_TRUE(statuses.empty()) << rig.TimelineText();
        } else {
            ASSERT_EQ(statuses.size(), 1u) << rig.TimelineText();
            EXPECT_EQ(statuses[0].Field("p"), "1");
            EXPECT_EQ(statuses[0].Field("a"), "Early Artist");
        }
        rig.player.Cleanup();
    }
}

// Without a session no status goes out, but a song that counts is still
// submitted, signed with the empty session key.
TEST(SessionTiming, SubmitsWithoutAValidSession) {
    RigOptions options;
    options.sessionBody = "too-short-token\r\n";
    TestRig rig(options);
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    ASSERT_TRUE(StartSession(rig)) << rig.TimelineText();
    rig.player.Play(Song(u"Lonely Artist", u"Lonely Song", 31000));
    ASSERT_TRUE(rig.service.WaitForRequests(kSubmitPath, 1, 17 * kTickMs)) << rig.TimelineText();
    EXPECT_EQ(rig.service.Requests(kSubmitPath)[0].signature, SignatureCheck::NoSession);
    EXPECT_TRUE(rig.service.Requests(kStatusPath).empty());
}

struct FaultCase {
    const char* name;
    Fault fault;
    std::string_view path;  // empty: every path
    std::string endpoint;   // empty: the stand-in service
};

// Each fault in turn: play, stop, play, cleanup. Nothing crashes, nothing
// is retried, no call blocks the player, and cleanup returns in bounded time.
void RunFaultCase(const FaultCase& c) {
    SCOPED_TRACE(c.name);
    RigOptions options;
    options.endpoint = c.endpoint;
    TestRig rig(options);
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    rig.service.SetFault(c.fault, c.path);
    rig.player.Init(9, 0x21);
    rig.player.Enable();
    rig.player.Show();
    rig.player.PumpFor(2500);
    const TrackInfo song = Song(u"Fault Artist", u"Fault Song", 200000);
    rig.player.Play(song);
    rig.player.PumpFor(1500);
    rig.player.Stop();
    rig.player.PumpFor(500);
    rig.player.Play(song);
    rig.player.PumpFor(1500);
    rig.player.Cleanup();
    const CallRecord cleanup = rig.player.Calls().back();
    rig.player.PumpFor(1000);

    EXPECT_LT(cleanup.durationMs, 8000) << "cleanup waited too long";
    for (const CallRecord& call : rig.player.Calls()) {
        if (call.code == FourCc("clr ") || call.code == FourCc("show")) continue;
        EXPECT_LT(call.durationMs, kBlockedMs) << FourCcText(call.code) << " blocked the player";
    }
    EXPECT_LT(rig.player.LongestDispatchMs(), kBlockedMs) << "a timer procedure blocked the player";
    EXPECT_LE(rig.service.Requests(kSessionPath).size(), 1u) << "the handshake was retried";
    rig.player.Unload();
    rig.player.PumpFor(500);
    if (testing::Test::HasFailure()) std::fprintf(stderr, "%s", rig.TimelineText().c_str());
}

TEST(ServiceFaults, HandshakeAgainstABrokenServiceNeverBlocksThePlayer) {
    const FaultCase cases[] = {
        {"refused", Fault::Refuse, {}, {}},
        {"unresolvable host", Fault::None, {}, "stanzascopium-test.invalid:80"},
        {"hangs after accept", Fault::Hang, kSessionPath, {}},
        {"one byte a second", Fault::Slow, kSessionPath, {}},
        {"endless line", Fault::EndlessLine, kSessionPath, {}},
        {"garbage", Fault::Garbage, kSessionPath, {}},
    };
    for (const FaultCase& c : cases) RunFaultCase(c);
}

// The session works; the reports meet the fault, one of them in flight at cleanup.
TEST(ServiceFaults, ReportsAgainstABrokenServiceNeverBlockThePlayer) {
    const FaultCase cases[] = {
        {"reports hang after accept", Fault::Hang, kStatusPath, {}},
        {"reports one byte a second", Fault::Slow, kStatusPath, {}},
        {"reports get an endless line", Fault::EndlessLine, kStatusPath, {}},
    };
    for (const FaultCase& c : cases) RunFaultCase(c);
}

// A submission still waiting on the service when the player cleans up and
// unloads the DLL: the process must go on, and the DLL leave once it is done.
TEST(ServiceFaults, SubmissionInFlightOutlivesCleanupAndUnload) {
    TestRig rig;
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    rig.service.SetFault(Fault::Hang, kSubmitPath);
    ASSERT_TRUE(StartSession(rig)) << rig.TimelineText();
    rig.player.Play(Song(u"Inflight Artist", u"Inflight Song", 31000));
    ASSERT_TRUE(rig.service.WaitForRequests(kSubmitPath, 1, 17 * kTickMs)) << rig.TimelineText();
    rig.player.Cleanup();
    EXPECT_LT(rig.player.Calls().back().durationMs, 8000);
    rig.player.Unload();
    // The worker gives up on its own bound and leaves; the player runs on.
    bool gone = false;
    for (int waited = 0; waited < 30000 && !gone; waited += 250) {
        rig.player.PumpFor(250);
        gone = !Player::ModuleMapped();
    }
    EXPECT_TRUE(gone) << "the DLL stayed mapped 30 s after FreeLibrary";
    rig.player.PumpFor(1000);
    rig.player.ResizeFrame(500, 400);
    rig.player.PumpFor(300);
    if (HasFailure()) std::fprintf(stderr, "%s", rig.TimelineText().c_str());
}

}  // namespace
}  // namespace stz::standin
