#include "timeline.h"

#include <charconv>

namespace stz::standin {

Timeline::Timeline(std::FILE* echo) : start_(std::chrono::steady_clock::now()), echo_(echo) {}

double Timeline::NowMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
}

void Timeline::Add(std::string_view who, std::string_view text) {
    char stamp[32];
    const double seconds = NowMs() / 1000.0;
    const auto [end, ec] = std::to_chars(stamp, stamp + sizeof stamp, seconds, std::chars_format::fixed, 3);
    std::string line(ec == std::errc() ? std::string_view(stamp, size_t(end - stamp)) : std::string_view("?"));
    if (line.size() < 8) line.insert(0, 8 - line.size(), ' ');
    line += "  ";
    line += who;
    if (who.size() < 8) line.append(8 - who.size(), ' ');
    line += ' ';
    line += text;
    std::lock_guard guard(lock_);
    if (echo_ != nullptr) {
        std::fprintf(echo_, "%s\n", line.c_str());
        std::fflush(echo_);
    }
    lines_.push_back(std::move(line));
}

std::vector<std::string> Timeline::Lines() const {
    std::lock_guard guard(lock_);
    return lines_;
}

std::string Printable(std::string_view bytes, size_t limit) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == limit) {
            out += "...";
            break;
        }
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c <= 0x7E) {
            out += char(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out + "\"";
}

}  // namespace stz::standin
