#include "http_request.h"

#include <algorithm>
#include <charconv>

namespace stz::standin {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Caps a hostile or broken Content-Length; the plug-in's bodies are short.
constexpr size_t kMaxBody = 1 << 20;

}  // namespace

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += char(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else if (c == '+') {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

FormFields DecodeForm(std::string_view body) {
    FormFields fields;
    if (body.empty()) return fields;
    size_t start = 0;
    while (true) {
        const size_t end = std::min(body.find('&', start), body.size());
        const std::string_view pair = body.substr(start, end - start);
        const size_t eq = pair.find('=');
        if (eq == std::string_view::npos) {
            fields.emplace_back(PercentDecode(pair), std::string());
        } else {
            fields.emplace_back(PercentDecode(pair.substr(0, eq)), PercentDecode(pair.substr(eq + 1)));
        }
        if (end == body.size()) break;
        start = end + 1;
    }
    return fields;
}

std::optional<std::string> RequestHead::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsIgnoringCase(key, name)) return value;
    }
    return std::nullopt;
}

std::optional<RequestHead> ParseRequestHead(std::string_view bytes) {
    RequestHead head;
    std::vector<std::string_view> lines;
    size_t pos = 0;
    bool ended = false;
    while (pos < bytes.size()) {
        const size_t lf = bytes.find('\n', pos);
        if (lf == std::string_view::npos) break;
        std::string_view line = bytes.substr(pos, lf - pos);
        pos = lf + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            head.lineFeedsOnly = false;
        }
        if (line.empty()) {
            if (lines.empty()) continue;  // stray line ends before the request line
            ended = true;
            break;
        }
        lines.push_back(line);
    }
    if (!ended) return std::nullopt;
    head.headerBytes = pos;

    const std::string_view requestLine = lines.front();
    const size_t sp1 = requestLine.find(' ');
    const size_t sp2 = sp1 == std::string_view::npos ? sp1 : requestLine.find(' ', sp1 + 1);
    head.method = std::string(requestLine.substr(0, sp1));
    if (sp1 != std::string_view::npos) {
        head.path = std::string(requestLine.substr(sp1 + 1, sp2 == std::string_view::npos
                                                                 ? std::string_view::npos
                                                                 : sp2 - sp1 - 1));
        if (sp2 != std::string_view::npos) head.version = std::string(requestLine.substr(sp2 + 1));
    }
    for (size_t i = 1; i < lines.size(); ++i) {
        const size_t colon = lines[i].find(':');
        if (colon == std::string_view::npos) {
            head.headers.emplace_back(std::string(Trim(lines[i])), std::string());
        } else {
            head.headers.emplace_back(std::string(Trim(lines[i].substr(0, colon))),
                                      std::string(Trim(lines[i].substr(colon + 1))));
        }
    }
    if (auto length = head.Header("Content-Length")) {
        size_t value = 0;
        const auto [end, ec] = std::from_chars(length->data(), length->data() + length->size(), value);
        if (ec == std::errc() && end == length->data() + length->size()) {
            head.contentLength = std::min(value, kMaxBody);
        }
    }
    return head;
}

size_t ExpectedRequestBytes(const RequestHead& head) {
    return head.headerBytes + head.contentLength + (head.lineFeedsOnly ? 2 : 0);
}

}  // namespace stz::standin
