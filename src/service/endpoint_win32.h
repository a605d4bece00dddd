// Where the service lives: the compiled-in host on port 80, or, for
// development and tests, STANZASCOPIUM_SERVICE=host:port.
#pragma once

#include <string>

namespace stz {

struct ServiceEndpoint {
    std::string host;
    std::string port;  // decimal text, as name resolution takes it
};

ServiceEndpoint GetServiceEndpoint();

// "http://host[:port]/plugin/0.4/itunes/plugin.php"; the port only when not 80.
std::string LyricsPageUrl(const ServiceEndpoint& endpoint);

}  // namespace stz
