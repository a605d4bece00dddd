#include "service/winsock_win32.h"

#include <winsock2.h>

namespace stz {
namespace {

constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

bool StartOnce() {
    WSADATA data;  // not examined: any 2.x implementation serves
    return WSAStartup(kWinsockVersion, &data) == 0;
}

}  // namespace

int StartWinsock(ServiceSession& session) {
    // A second enable message must not leave a start behind that no
    // StopWinsock releases: a start already held is kept as it is.
    if (session.winsockStarted == 1) return 0;
    session.winsockStarted = StartOnce() ? 1 : 0;
    return session.winsockStarted == 1 ? 0 : 1;
}

int StopWinsock(ServiceSession& session) {
    if (session.winsockStarted == 1) {
        WSACleanup();
        session.winsockStarted = 0;
    }
    return 0;
}

WinsockReference::WinsockReference() : started_(StartOnce()) {}

WinsockReference::~WinsockReference() {
    if (started_) WSACleanup();
}

}  // namespace stz
