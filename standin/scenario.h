// Scenario files: one player action a line, for example
//
//   init 9 0x21
//   enable
//   play artist="AC/DC" title="T.N.T." album="High Voltage" ms=31000 track=7 year=1975
//   wait 16000
//   stop
//
// '#' starts a comment. Values in double quotes may hold blanks and the
// escapes \" \\ \n \r \t \xNN.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stz::standin {

struct ScenarioAction {
    int line = 0;
    std::string verb;
    std::vector<std::string> words;                           // positional
    std::vector<std::pair<std::string, std::string>> named;  // key=value

    std::optional<std::string> Named(std::string_view key) const;
};

struct ParsedScenario {
    std::vector<ScenarioAction> actions;
    std::vector<std::string> errors;  // "line 3: unterminated quote"
};

ParsedScenario ParseScenario(std::string_view text);

// Decimal or 0x-prefixed; nullopt when malformed or out of range.
std::optional<long long> ParseNumber(std::string_view text, long long min, long long max);

}  // namespace stz::standin
