// Winsock's start at enable, its stop at shutdown, and the references that
// requests in flight hold. Each case runs in a process of its own, so that
// nothing else holds Winsock when it starts.
#include <gtest/gtest.h>

#include <winsock2.h>

#include "service/winsock_win32.h"

namespace stz {
namespace {

// Whether Winsock is up, seen from outside: a socket can be made.
bool WinsockUsable() {
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (probe == INVALID_SOCKET) return false;
    closesocket(probe);
    return true;
}

TEST(Winsock, StopReleasesEveryStartAndReferencesOutliveIt) {
    ASSERT_FALSE(WinsockUsable()) << "something else in this process holds Winsock";
    {
        // A second enable must not leave a start that no shutdown releases.
        ServiceSession session;
        EXPECT_EQ(StartWinsock(session), 0);
        EXPECT_EQ(session.winsockStarted, 1);
        EXPECT_EQ(StartWinsock(session), 0);
        EXPECT_EQ(StopWinsock(session), 0);
        EXPECT_EQ(session.winsockStarted, 0);
        EXPECT_EQ(StopWinsock(session), 0);  // harmless twice
        EXPECT_FALSE(WinsockUsable());
    }
    {
        // A request in flight keeps its sockets through the shutdown's stop.
        ServiceSession session;
        StartWinsock(session);
        {
            const WinsockReference inFlight;
            EXPECT_TRUE(inFlight.Started());
            StopWinsock(session);
            EXPECT_TRUE(WinsockUsable());
        }
        EXPECT_FALSE(WinsockUsable());
    }
}

}  // namespace
}  // namespace stz
