// The service client's one record: Winsock state, identity, session key and
// what the handshake tells the service about the player.
#pragma once

#include <cstdint>
#include <string>

namespace stz {

struct ServiceSession {
    int32_t winsockStarted = 0;
    std::string sessionKey;       // MD5 hex of the accepted token; empty: no session
    std::string installId;        // 32 characters when valid
    std::string clientCode;       // "itw"
    std::string hostVersion;      // "major.minor"
    int32_t otherProductPresent = 0;
};

// A session is valid exactly when its key has 32 characters.
inline bool IsSessionValid(const ServiceSession& session) {
    return session.sessionKey.size() == 32;
}

}  // namespace stz
