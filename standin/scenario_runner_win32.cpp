#include "scenario_runner_win32.h"

#include "host_codes.h"

namespace stz::standin {
namespace {

std::optional<uint32_t> CodeFromText(const std::string& text) {
    if (text.size() == 4) {
        return (uint32_t(uint8_t(text[0])) << 24) | (uint32_t(uint8_t(text[1])) << 16) |
               (uint32_t(uint8_t(text[2])) << 8) | uint32_t(uint8_t(text[3]));
    }
    if (auto value = ParseNumber(text, 0, 0xFFFFFFFFll)) return uint32_t(*value);
    return std::nullopt;
}

}  // namespace

std::optional<TrackInfo> TrackFromAction(const ScenarioAction& action, std::string& error) {
    if (!action.words.empty() && action.words[0] == "null") return std::nullopt;
    TrackInfo track;
    for (const auto& [key, value] : action.named) {
        auto number = [&](long long min, long long max) -> long long {
            auto parsed = ParseNumber(value, min, max);
            if (!parsed) error = "bad value for " + key + ": " + value;
            return parsed.value_or(0);
        };
        if (key == "artist") track.artist = FromUtf8(value);
        else if (key == "title") track.title = FromUtf8(value);
        else if (key == "album") track.album = FromUtf8(value);
        else if (key == "ms") track.lengthMs = uint32_t(number(0, 0xFFFFFFFFll));
        else if (key == "track") track.trackNumber = int32_t(number(INT32_MIN, INT32_MAX));
        else if (key == "year") track.year = uint16_t(number(0, 0xFFFF));
        else if (key == "report") track.reportWord = uint32_t(number(0, 0xFFFFFFFFll));
        else error = "unknown track field " + key;
    }
    if (!error.empty()) return std::nullopt;
    return track;
}

int RunScenario(const std::vector<ScenarioAction>& actions, Player& player, StandinService& service,
                Timeline& timeline, const std::wstring& dllPath) {
    int failures = 0;
    for (const ScenarioAction& a : actions) {
        std::string error;
        auto word = [&](size_t i) { return i < a.words.size() ? a.words[i] : std::string(); };
        auto number = [&](size_t i, long long min, long long max) -> long long {
            auto value = ParseNumber(word(i), min, max);
            if (!value) error = "expected a number, found \"" + word(i) + "\"";
            return value.value_or(0);
        };
        const std::string& v = a.verb;
        if (v == "init") {
            const auto major = number(0, 0, 255);
            const auto minor = number(1, 0, 255);
            if (error.empty()) player.Init(uint8_t(major), uint8_t(minor));
        } else if (v == "enable") {
            player.Enable();
        } else if (v == "show") {
            player.Show();
        } else if (v == "hide") {
            player.Hide();
        } else if (v == "swin") {
            player.PlaceWindow();
        } else if (v == "stop") {
            player.Stop();
        } else if (v == "cleanup") {
            player.Cleanup();
        } else if (v == "play" || v == "track") {
            auto track = TrackFromAction(a, error);
            if (error.empty()) v == "play" ? player.Play(track) : player.ChangeTrack(track);
        } else if (v == "wait") {
            const auto ms = number(0, 0, 24 * 3600 * 1000);
            if (error.empty()) player.PumpFor(int(ms));
        } else if (v == "move") {
            const auto x = number(0, -10000, 10000);
            const auto y = number(1, -10000, 10000);
            if (error.empty()) player.MoveFrame(int(x), int(y));
        } else if (v == "resize") {
            const auto w = number(0, 0, 10000);
            const auto h = number(1, 0, 10000);
            if (error.empty()) player.ResizeFrame(int(w), int(h));
        } else if (v == "close") {
            player.CloseFrame();
        } else if (v == "unload") {
            player.Unload();
        } else if (v == "load") {
            player.Load(dllPath);
        } else if (v == "message" || v == "entry") {
            auto code = CodeFromText(word(0));
            if (!code) {
                error = "expected a code (four characters or a number)";
            } else {
                std::vector<uint8_t> record(kVisualMessageSize, 0);
                v == "message" ? player.SendVisual(*code, record.data()) : player.SendEntry(*code, record.data());
            }
        } else if (v == "service") {
            if (auto token = a.Named("token")) {
                service.SetSessionBody(*token + "\r\n");
                timeline.Add("service", "handshake answer: " + Printable(*token + "\r\n"));
            } else if (auto body = a.Named("body")) {
                service.SetSessionBody(*body);
                timeline.Add("service", "handshake answer: " + Printable(*body));
            } else if (auto fault = ParseFault(word(0))) {
                service.SetFault(*fault, word(1));
            } else {
                error = "unknown service setting \"" + word(0) + "\"";
            }
        } else {
            error = "unknown action \"" + v + "\"";
        }
        if (!error.empty()) {
            ++failures;
            timeline.Add("scenario", "line " + std::to_string(a.line) + ": " + error);
        }
    }
    return failures;
}

}  // namespace stz::standin
