// Winsock for the process, and a reference that keeps it up while a request
// is in flight. WSAStartup and WSACleanup are counted by the system, so the
// shutdown's StopWinsock cannot pull sockets from under a worker that holds
// a WinsockReference.
#pragma once

#include "service/service_session.h"

namespace stz {

// Asks for Winsock 2.2. Returns 0 and sets winsockStarted on success,
// 1 (winsockStarted 0) on failure. Call on the player's thread.
int StartWinsock(ServiceSession& session);

// Releases the start made by StartWinsock once; a second call does nothing.
// Always returns 0. Call on the player's thread.
int StopWinsock(ServiceSession& session);

// One WSAStartup/WSACleanup pair for the lifetime of the object.
class WinsockReference {
public:
    WinsockReference();
    ~WinsockReference();
    WinsockReference(const WinsockReference&) = delete;
    WinsockReference& operator=(const WinsockReference&) = delete;

    bool Started() const { return started_; }

private:
    bool started_ = false;
};

}  // namespace stz
