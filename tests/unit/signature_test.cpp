#include "service/signature.h"

#include <gtest/gtest.h>

#include "wire_fixture.h"

namespace stz {
namespace {

using test::FixtureSession;
using test::FixtureTrack;

TEST(SignatureTest, MatchesIndependentlyComputedDigests) {
    struct Case {
        const char* name;
        CurrentTrack track;
        ServiceSession session;
        const char* expected;
    };
    Case cases[] = {
        // python3 tests/unit/wire_values.py sig_basic
        {"basic", FixtureTrack(), FixtureSession(), "e273505a53cf5c2805e333d0f96ce728"},
        // python3 tests/unit/wire_values.py sig_all_empty
        {"no song, no session, no identity", CurrentTrack{}, ServiceSession{}, "ac856f371ca0c8b8cb4a0e6883738070"},
        // python3 tests/unit/wire_values.py sig_pipe_and_e_acute
        {"raw UTF-8, a pipe left unescaped, negative time", FixtureTrack(), FixtureSession(),
         "1a8bd6a34abd99f9199d870c3c39e8b4"},
        // python3 tests/unit/wire_values.py sig_surrogates
        {"surrogate pair and unpaired surrogate", FixtureTrack(), FixtureSession(),
         "41e7f23a6bc26bc0843e2e53228ddcd2"},
    };
    cases[2].track.artist = u"\u00E9";
    cases[2].track.title = u"a|b";
    cases[2].track.startTime = -1;
    cases[2].session.installId = std::string(32, 'z');
    cases[3].track.artist = u"\xD83D\xDE00";
    cases[3].track.title = u"x\xD800y";

    for (const Case& c : cases) {
        EXPECT_EQ(ComputeRequestSignature(c.track, c.session), c.expected) << c.name;
    }
}

TEST(SignatureTest, DependsOnEveryInputItTakesAndNothingElse) {
    const std::string base = ComputeRequestSignature(FixtureTrack(), FixtureSession());

    CurrentTrack track = FixtureTrack();
    track.album = u"Other";
    track.playing = 0;
    track.lengthSeconds = 1;
    track.trackNumber = 99;
    ServiceSession session = FixtureSession();
    session.clientCode = "xyz";
    session.otherProductPresent = 1;
    EXPECT_EQ(ComputeRequestSignature(track, session), base);

    track = FixtureTrack();
    track.startTime += 1;  // the same song started again
    EXPECT_NE(ComputeRequestSignature(track, FixtureSession()), base);

    // Moving a character across the separator makes another text to digest.
    track = FixtureTrack();
    track.artist = u"AC/D";
    track.title = u"CBack in Black";
    EXPECT_NE(ComputeRequestSignature(track, FixtureSession()), base);
}

}  // namespace
}  // namespace stz
