#include "service/request_bodies.h"

#include <gtest/gtest.h>

#include <string>

#include "wire_fixture.h"

namespace stz {
namespace {

using test::FixtureSession;
using test::FixtureTrack;

TEST(RequestBodiesTest, SessionBody) {
    ServiceSession session = FixtureSession();
    // python3 tests/unit/wire_values.py session_body
    EXPECT_EQ(BuildSessionBody(session), "sid=b56e411a9c925b9c67ef17d94baad6b8&i=itw&v=9.2&m=0");
    EXPECT_EQ(BuildSessionBody(session).size(), 52u);  // 32-character identity, "itw", 3-character version

    session.otherProductPresent = 1;
    session.installId.clear();
    session.hostVersion = std::string("12.1\0junk", 9);  // a text goes out up to its first zero byte
    EXPECT_EQ(BuildSessionBody(session), "sid=&i=itw&v=12.1&m=1");
}

TEST(RequestBodiesTest, StatusBody) {
    // python3 tests/unit/wire_values.py status_body
    EXPECT_EQ(BuildStatusBody(FixtureSession(), FixtureTrack()),
              "sid=b56e411a9c925b9c67ef17d94baad6b8&pid=e273505a53cf5c2805e333d0f96ce728"
              "&a=AC%2FDC&t=Back%20in%20Black&b=Back%20in%20Black&p=1&l=255&i=1700000123&m=0");

    // Stopped, no identity, empty title and album, the other product present.
    ServiceSession session = FixtureSession();
    session.installId.clear();
    session.otherProductPresent = 1;
    CurrentTrack track = FixtureTrack();
    track.artist = u"Me/You";
    track.title.clear();
    track.album.clear();
    track.playing = 0;
    track.lengthSeconds = 31;
    // python3 tests/unit/wire_values.py status_body_stopped_sparse
    EXPECT_EQ(BuildStatusBody(session, track),
              "sid=&pid=2a9a3aee46702dc9b1aa372273e46cf2&a=Me%2FYou&t=&b=&p=0&l=31&i=1700000123&m=1");
}

TEST(RequestBodiesTest, SubmissionBody) {
    // python3 tests/unit/wire_values.py submit_body
    EXPECT_EQ(BuildSubmissionBody(FixtureSession(), FixtureTrack()),
              "sid=b56e411a9c925b9c67ef17d94baad6b8&pid=e273505a53cf5c2805e333d0f96ce728"
              "&a=AC%2FDC&t=Back%20in%20Black&b=Back%20in%20Black&n=6&y=1980&l=255&i=1700000123&m=0");

    // No session key, no artist, zeros as the player gave them, a negative time.
    ServiceSession session = FixtureSession();
    session.sessionKey.clear();
    CurrentTrack track{};
    track.title = u"Beyonc\u00E9";
    track.startTime = -5;
    // python3 tests/unit/wire_values.py submit_body_zeros
    EXPECT_EQ(BuildSubmissionBody(session, track),
              "sid=b56e411a9c925b9c67ef17d94baad6b8&pid=d17a8ea707083135f274bcb6fdd64605"
              "&a=&t=Beyonc%C3%A9&b=&n=0&y=0&l=0&i=-5&m=0");
}

TEST(RequestBodiesTest, LyricsPageBody) {
    CurrentTrack track = FixtureTrack();
    track.artist = u"Me/You";
    track.title = u"A.B.";
    // python3 tests/unit/wire_values.py lyrics_body
    EXPECT_EQ(BuildLyricsPageBody(track, FixtureSession()),
              "a=Me%2FYou&t=A%2EB%2E&i=1700000123&pid=c0074db816260f450456e1994af4593a"
              "&sid=b56e411a9c925b9c67ef17d94baad6b8");
}

TEST(RequestBodiesTest, ReportableTrack) {
    struct Case {
        std::u16string artist, title;
        int32_t reportable;
        bool expected;
    };
    const Case cases[] = {
        {u"A", u"T", 1, true},
        {u"A", u"", 1, true},
        {u"", u"T", 1, true},
        {u"", u"", 1, false},
        {u"A", u"T", 0, false},
        {u"A", u"T", 2, false},  // only exactly 1 counts
    };
    for (const Case& c : cases) {
        CurrentTrack track;
        track.artist = c.artist;
        track.title = c.title;
        track.reportable = c.reportable;
        EXPECT_EQ(HasReportableTrack(track), c.expected)
            << "artist " << c.artist.size() << " title " << c.title.size() << " reportable " << c.reportable;
    }
}

TEST(RequestBodiesTest, FramingCountsTheBodyAlone) {
    const std::string body(57, 'x');
    const auto lines = FrameFormRequest(kStatusRequestLine, body);
    const std::array<std::string, 7> expected = {
        "POST /plugin/status.php HTTP/1.0",
        "User-Agent: Stanzascopium/0.4 (iTunes build)",
        "Content-Type: application/x-www-form-urlencoded",
        "Content-Length: 57",
        "",
        body,
        "",
    };
    EXPECT_EQ(lines, expected);

    const auto empty = FrameFormRequest(kSessionRequestLine, "");
    EXPECT_EQ(empty[0], "POST /plugin/session.php HTTP/1.0");
    EXPECT_EQ(empty[3], "Content-Length: 0");
    EXPECT_EQ(empty[5], "");
    EXPECT_EQ(FrameFormRequest(kSubmissionRequestLine, "a")[0], "POST /plugin/submit.php HTTP/1.0");
}

}  // namespace
}  // namespace stz
