// One request as the stand-in service receives it: framing, headers, the
// form body and its decoded fields.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stz::standin {

using FormFields = std::vector<std::pair<std::string, std::string>>;

// "a=AC%2FDC&t=" -> {("a", "AC/DC"), ("t", "")}; '+' is a blank, a '%' not
// followed by two hexadecimal digits stays as it is.
FormFields DecodeForm(std::string_view body);
std::string PercentDecode(std::string_view text);

struct RequestHead {
    std::string method;
    std::string path;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;
    size_t headerBytes = 0;     // up to and including the empty line
    size_t contentLength = 0;   // 0 when absent or malformed
    bool lineFeedsOnly = true;  // no CR in the header block: the plug-in's framing

    // Case-insensitive header lookup.
    std::optional<std::string> Header(std::string_view name) const;
};

// The head, once the header block has ended (an empty line, with or without CR).
std::optional<RequestHead> ParseRequestHead(std::string_view bytes);

// The plug-in ends its requests with two LF bytes after the counted body;
// a browser sends none.
size_t ExpectedRequestBytes(const RequestHead& head);

}  // namespace stz::standin
