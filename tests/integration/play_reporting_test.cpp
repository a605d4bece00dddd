// Status reports and play submissions as the service receives them: when
// they go out, what they carry, and when they must not.
#include <gtest/gtest.h>

#include "rig_helpers.h"

namespace stz::standin {
namespace {

constexpr char kStoredId[] = "0123456789abcdef0123456789abcdef";
constexpr int kTickMs = 1000;

void StoreIdentity() {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Stanzascopium", 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(h, "DebugKey", 0, REG_SZ, reinterpret_cast<const BYTE*>(kStoredId), 33);
    RegCloseKey(h);
}

// The request as the plug-in frames it, built here from literal lines.
std::string Framed(std::string_view path, const std::string& body) {
    return "POST " + std::string(path) + " HTTP/1.0\n"
           "User-Agent: Stanzascopium/0.4 (iTunes build)\n"
           "Content-Type: application/x-www-form-urlencoded\n"
           "Content-Length: " + std::to_string(body.size()) + "\n\n" + body + "\n\n";
}

class PlayReporting : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig_.Ready()) << rig_.Error();
        StoreIdentity();
        ASSERT_TRUE(StartSession(rig_)) << rig_.TimelineText();
    }
    void TearDown() override {
        if (HasFailure()) std::fprintf(stderr, "%s", rig_.TimelineText().c_str());
    }
    // Pumps until a request of `path` arrives after `sinceMs`, or the time is up.
    bool WaitFor(std::string_view path, double sinceMs, int timeoutMs) {
        return rig_.service.WaitUntil(
            [&](const std::vector<ReceivedRequest>& requests) {
                for (const auto& r : requests) {
                    if (r.path == path && r.arrivalMs >= sinceMs) return true;
                }
                return false;
            },
            timeoutMs);
    }
    double Now() const { return rig_.timeline.NowMs(); }

    TestRig rig_;
};

TEST_F(PlayReporting, PlaySendsOneSignedStatusWithTheSongAndStopSendsPlayingZero) {
    const int64_t before = UnixNow();
    rig_.player.Play(Song(u"AC/DC", u"T.N.T.", 214000));
    ASSERT_TRUE(WaitFor(kStatusPath, 0, 10000));
    const int64_t after = UnixNow();
    rig_.player.PumpFor(1000);  // a second report would show up here
    auto statuses = rig_.service.Requests(kStatusPath);
    ASSERT_EQ(statuses.size(), 1u);
    const ReceivedRequest& playing = statuses[0];

    const std::string i = playing.Field("i").value_or("");
    const int64_t start = std::stoll(i);
    EXPECT_GE(start, before);
    EXPECT_LE(start, after);
    const std::string pid = playing.Field("pid").value_or("");
    const std::string body = std::string("sid=") + kStoredId + "&pid=" + pid +
                             "&a=AC%2FDC&t=T%2EN%2ET%2E&b=Album&p=1&l=214&i=" + i + "&m=0";
    EXPECT_EQ(playing.raw, Framed(kStatusPath, body));
    EXPECT_EQ(playing.signature, SignatureCheck::Session);

    const double stopAt = Now();
    rig_.player.Stop();
    ASSERT_TRUE(WaitFor(kStatusPath, stopAt, 10000));
    rig_.player.Stop();  // a second stop reports nothing
    rig_.player.PumpFor(1000);
    statuses = RequestsSince(rig_, kStatusPath, stopAt);
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].body, std::string("sid=") + kStoredId + "&pid=" + pid +
                                    "&a=AC%2FDC&t=T%2EN%2ET%2E&b=Album&p=0&l=214&i=" + i + "&m=0");

    // The token itself travels nowhere after the handshake.
    for (const auto& r : rig_.service.Requests()) {
        if (r.path == kSessionPath) continue;
        EXPECT_EQ(r.raw.find(kDefaultToken), std::string::npos) << r.path;
    }
}

// 31 s (and 30 500 ms, rounded half up to 31 s) count after 15 ticks;
// 30 499 ms rounds to 30 s and never counts.
TEST_F(PlayReporting, SubmitsAfterFifteenTicksOnlyForSongsLongerThanThirtySeconds) {
    rig_.player.Play(Song(u"Edge Artist", u"Just Too Short", 30499));
    const double shortAt = Now();
    rig_.player.PumpFor(16 * kTickMs + 500);
    EXPECT_TRUE(RequestsSince(rig_, kSubmitPath, shortAt).empty()) << "30 499 ms was submitted";

    rig_.player.Play(Song(u"Edge Artist", u"Just Long Enough", 30500));
    const double playAt = Now();
    ASSERT_TRUE(WaitFor(kSubmitPath, playAt, 16 * kTickMs + 500));
    const ReceivedRequest submission = rig_.service.Requests(kSubmitPath).at(0);
    // The 15th tick comes 15 s after the play message.
    EXPECT_GE(submission.arrivalMs - playAt, 15 * kTickMs - 300);
    EXPECT_EQ(submission.FieldNames(),
              (std::vector<std::string>{"sid", "pid", "a", "t", "b", "n", "y", "l", "i", "m"}));
    EXPECT_EQ(submission.Field("n"), "7");
    EXPECT_EQ(submission.Field("y"), "1999");
    EXPECT_EQ(submission.Field("l"), "31");
    EXPECT_EQ(submission.Field("t"), "Just Long Enough");
    EXPECT_EQ(submission.signature, SignatureCheck::Session);
    EXPECT_EQ(submission.raw, Framed(kSubmitPath, submission.body));
}

// A pause keeps the listening time: 10 ticks, stop, play again: the
// submission comes 5 ticks after the resume, with the first start time.
TEST_F(PlayReporting, ResumeAfterStopKeepsTheCredit) {
    const TrackInfo song = Song(u"Resume Artist", u"Resume Song", 31000);
    rig_.player.Play(song);
    rig_.player.PumpFor(10 * kTickMs + 300);
    rig_.player.Stop();
    rig_.player.PumpFor(2000);
    const double resumeAt = Now();
    rig_.player.Play(song);
    ASSERT_TRUE(WaitFor(kSubmitPath, resumeAt, 17 * kTickMs));
    const ReceivedRequest submission = rig_.service.Requests(kSubmitPath).at(0);
    // Well under the 15 ticks a restarted credit would need, with room for a
    // loaded machine that delays timer messages.
    EXPECT_LT(submission.arrivalMs - resumeAt, 10 * kTickMs);
    EXPECT_GE(submission.arrivalMs - resumeAt, 5 * kTickMs - 300);
    const auto statuses = rig_.service.Requests(kStatusPath);
    ASSERT_EQ(statuses.size(), 3u) << "playing, stopped, playing again";
    EXPECT_EQ(statuses[2].Field("p"), "1");
    EXPECT_EQ(submission.Field("i"), statuses[0].Field("i")) << "the resume restarted the start time";
}

// The same song played again without a stop restarts the credit from the
// full length, and the service hears no new status.
TEST_F(PlayReporting, ReplayWithoutStopRestartsTheCreditSilently) {
    const TrackInfo song = Song(u"Replay Artist", u"Replay Song", 31000);
    rig_.player.Play(song);
    rig_.player.PumpFor(8 * kTickMs + 300);
    const double replayAt = Now();
    rig_.player.Play(song);
    ASSERT_TRUE(WaitFor(kSubmitPath, 0, 17 * kTickMs));
    const ReceivedRequest submission = rig_.service.Requests(kSubmitPath).at(0);
    EXPECT_GE(submission.arrivalMs - replayAt, 15 * kTickMs - 300) << "the replay did not restart the credit";
    EXPECT_EQ(rig_.service.Requests(kStatusPath).size(), 1u) << "the replay sent another status";
}

// Keys compare fields, not joined text: artist AB with title C and artist A
// with title BC are two songs.
TEST_F(PlayReporting, JoinedTextsDoNotMakeTwoSongsOne) {
    rig_.player.Play(Song(u"AB", u"C", 200000));
    ASSERT_TRUE(WaitFor(kStatusPath, 0, 10000));
    const double changeAt = Now();
    rig_.player.ChangeTrack(Song(u"A", u"BC", 200000));
    ASSERT_TRUE(WaitFor(kStatusPath, changeAt, 10000));
    const auto statuses = RequestsSince(rig_, kStatusPath, changeAt);
    EXPECT_EQ(statuses.at(0).Field("a"), "A");
    EXPECT_EQ(statuses.at(0).Field("t"), "BC");
    EXPECT_EQ(statuses.at(0).Field("p"), "1");
}

// A track change while stopped reports the new song as playing but leaves
// the play timer off until the next play message.
TEST_F(PlayReporting, TrackChangeWhileStoppedReportsWithoutStartingTheTimer) {
    rig_.player.Play(Song(u"First Artist", u"First Song", 200000));
    rig_.player.PumpFor(1500);
    rig_.player.Stop();
    rig_.player.PumpFor(1500);
    const double changeAt = Now();
    rig_.player.ChangeTrack(Song(u"Second Artist", u"Second Song", 200000));
    rig_.player.ResetForeignTimerMessages();
    ASSERT_TRUE(WaitFor(kStatusPath, changeAt, 10000));
    rig_.player.PumpFor(2500);
    const auto statuses = RequestsSince(rig_, kStatusPath, changeAt);
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].Field("a"), "Second Artist");
    EXPECT_EQ(statuses[0].Field("p"), "1");
    EXPECT_EQ(rig_.player.ForeignTimerMessages(), 0) << "a plug-in timer ticks after a track change while stopped";
}

// Songs of 30 s or less are reported as playing but never submitted; a
// track whose report word is set is neither.
TEST_F(PlayReporting, ShortSongsAndUnreportableTracksAreNeverSubmitted) {
    rig_.player.Play(Song(u"Short Artist", u"Thirty Seconds", 30000));
    ASSERT_TRUE(WaitFor(kStatusPath, 0, 10000));
    const double unreportableAt = Now();
    rig_.player.Play(Song(u"Private Artist", u"Private Song", 31000, /*reportWord=*/1));
    rig_.player.PumpFor(16 * kTickMs + 500);
    EXPECT_TRUE(RequestsSince(rig_, kStatusPath, unreportableAt).empty());
    EXPECT_TRUE(rig_.service.Requests(kSubmitPath).empty());
}

// Cleanup while a song plays reports it stopped, once, and returns soon.
TEST_F(PlayReporting, CleanupWhilePlayingReportsStopped) {
    rig_.player.Play(Song(u"Cleanup Artist", u"Cleanup Song", 200000));
    ASSERT_TRUE(WaitFor(kStatusPath, 0, 10000));
    const double cleanupAt = Now();
    rig_.player.Cleanup();
    EXPECT_LT(rig_.player.Calls().back().durationMs, 5000);
    rig_.service.WaitForRequests(kStatusPath, 2, 3000);
    rig_.player.PumpFor(500);
    const auto statuses = RequestsSince(rig_, kStatusPath, cleanupAt);
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].Field("p"), "0");
    EXPECT_EQ(statuses[0].signature, SignatureCheck::Session);
}

}  // namespace
}  // namespace stz::standin
