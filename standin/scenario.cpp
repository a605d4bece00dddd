#include "scenario.h"

#include <algorithm>
#include <charconv>

namespace stz::standin {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Splits one line into words; a quoted stretch belongs to the word it is in.
std::optional<std::vector<std::string>> Words(std::string_view line, std::string& error) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c != '"') {
            word += c;
            continue;
        }
        bool closed = false;
        for (++i; i < line.size(); ++i) {
            const char q = line[i];
            if (q == '"') {
                closed = true;
                break;
            }
            if (q != '\\' || i + 1 >= line.size()) {
                word += q;
                continue;
            }
            const char e = line[++i];
            switch (e) {
                case 'n': word += '\n'; break;
                case 'r': word += '\r'; break;
                case 't': word += '\t'; break;
                case 'x':
                    if (i + 2 < line.size() && HexDigit(line[i + 1]) >= 0 && HexDigit(line[i + 2]) >= 0) {
                        word += char(HexDigit(line[i + 1]) * 16 + HexDigit(line[i + 2]));
                        i += 2;
                    } else {
                        error = "bad \\x escape";
                        return std::nullopt;
                    }
                    break;
                default: word += e;
            }
        }
        if (!closed) {
            error = "unterminated quote";
            return std::nullopt;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace

std::optional<std::string> ScenarioAction::Named(std::string_view key) const {
    for (const auto& [name, value] : named) {
        if (name == key) return value;
    }
    return std::nullopt;
}

std::optional<long long> ParseNumber(std::string_view text, long long min, long long max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

ParsedScenario ParseScenario(std::string_view text) {
    ParsedScenario parsed;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        std::string error;
        auto words = Words(line, error);
        if (!words) {
            parsed.errors.push_back("line " + std::to_string(lineNumber) + ": " + error);
            continue;
        }
        if (words->empty()) continue;
        ScenarioAction action;
        action.line = lineNumber;
        action.verb = (*words)[0];
        for (size_t i = 1; i < words->size(); ++i) {
            const std::string& word = (*words)[i];
            const size_t eq = word.find('=');
            if (eq != std::string::npos && eq > 0) {
                action.named.emplace_back(word.substr(0, eq), word.substr(eq + 1));
            } else {
                action.words.push_back(word);
            }
        }
        parsed.actions.push_back(std::move(action));
        if (end == text.size()) break;
    }
    return parsed;
}

}  // namespace stz::standin
