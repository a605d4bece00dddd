#include "service/endpoint_win32.h"

#include <windows.h>

#include <charconv>
#include <optional>
#include <string_view>

#ifndef STANZASCOPIUM_SERVICE_HOST
#error "STANZASCOPIUM_SERVICE_HOST must name the service host"
#endif

namespace stz {
namespace {

constexpr char kOverrideVariable[] = "STANZASCOPIUM_SERVICE";
constexpr char kDefaultPort[] = "80";

// A host name as it may stand in a URL and in name resolution: letters,
// digits, dots, hyphens and underscores. Anything else (blanks, slashes,
// brackets of an IPv6 literal) makes the override malformed.
bool IsPlainHostName(std::string_view host) {
    if (host.empty()) return false;
    for (char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!ok) return false;
    }
    return true;
}

// "host:port" with a port of 1 to 65535 written in decimal digits only.
// The port comes back without leading zeros, so that "0080" is port 80.
std::optional<ServiceEndpoint> ParseOverride(std::string_view text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view host = text.substr(0, colon);
    const std::string_view port = text.substr(colon + 1);
    if (!IsPlainHostName(host) || port.empty() || port.size() > 5) return std::nullopt;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error != std::errc{} || end != port.data() + port.size()) return std::nullopt;
    if (value < 1 || value > 65535) return std::nullopt;
    char digits[8];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    return ServiceEndpoint{std::string(host), std::string(digits, written.ptr)};
}

std::optional<std::string> ReadOverrideVariable() {
    char buffer[512];
    const DWORD length = GetEnvironmentVariableA(kOverrideVariable, buffer, sizeof buffer);
    // 0: not set (or empty); >= size: too long for any sane host:port.
    if (length == 0 || length >= sizeof buffer) return std::nullopt;
    return std::string(buffer, length);
}

}  // namespace

ServiceEndpoint GetServiceEndpoint() {
    if (const auto text = ReadOverrideVariable()) {
        if (auto endpoint = ParseOverride(*text)) return *endpoint;
    }
    return ServiceEndpoint{STANZASCOPIUM_SERVICE_HOST, kDefaultPort};
}

std::string LyricsPageUrl(const ServiceEndpoint& endpoint) {
    std::string url = "http://" + endpoint.host;
    if (endpoint.port != kDefaultPort) url += ":" + endpoint.port;
    url += "/plugin/0.4/itunes/plugin.php";
    return url;
}

}  // namespace stz
