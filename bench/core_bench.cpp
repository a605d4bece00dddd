// Speed of the core pieces every request goes through. Printed, never
// asserted: the figures are recorded in BENCHMARKS.md.
#include <benchmark/benchmark.h>

#include <string>

#include "service/form_encode.h"
#include "service/md5.h"
#include "service/request_bodies.h"
#include "service/signature.h"

namespace {

std::string Printable(size_t size) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>('!' + (i * 7) % 90);
    }
    return text;
}

stz::ServiceSession Session() {
    stz::ServiceSession session;
    session.sessionKey = "8516ac99dc60603295de7bdb6a153530";
    session.installId = "b56e411a9c925b9c67ef17d94baad6b8";
    session.clientCode = "itw";
    session.hostVersion = "9.2";
    return session;
}

stz::CurrentTrack Track() {
    stz::CurrentTrack track;
    track.artist = u"Beyonc\u00E9 & The Band";
    track.title = u"A Fairly Typical Song Title (Live at the Hall)";
    track.album = u"Live \u2014 Deluxe Edition";
    track.trackNumber = 7;
    track.year = 2003;
    track.lengthSeconds = 245;
    track.startTime = 1700000123;
    track.reportable = 1;
    track.playing = 1;
    return track;
}

void BM_Md5Hex(benchmark::State& state) {
    const std::string input = Printable(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(stz::Md5Hex(input));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Md5Hex)->Arg(32)->Arg(1024);

void BM_FormEncodeFullHostField(benchmark::State& state) {
    // A host text at its longest: 255 units, mixed scripts.
    std::u16string text;
    const char16_t kMix[] = u"Ab \u00E9\u4E2D/";
    while (text.size() < 255) {
        text += kMix[text.size() % 6];
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(stz::FormEncode(text));
    }
}
BENCHMARK(BM_FormEncodeFullHostField);

void BM_RequestSignature(benchmark::State& state) {
    const stz::CurrentTrack track = Track();
    const stz::ServiceSession session = Session();
    for (auto _ : state) {
        benchmark::DoNotOptimize(stz::ComputeRequestSignature(track, session));
    }
}
BENCHMARK(BM_RequestSignature);

void BM_StatusBody(benchmark::State& state) {
    const stz::CurrentTrack track = Track();
    const stz::ServiceSession session = Session();
    for (auto _ : state) {
        benchmark::DoNotOptimize(stz::BuildStatusBody(session, track));
    }
}
BENCHMARK(BM_StatusBody);

}  // namespace

BENCHMARK_MAIN();
