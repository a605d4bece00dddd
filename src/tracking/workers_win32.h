// Worker threads: each network request runs on a short-lived thread of its
// own, so that the player's thread never waits on the network.
#pragma once

#include <functional>

namespace stz {

// Starts `work` on a new thread (the runtime library's thread start). The
// thread holds a reference on this module for as long as it runs, so that the
// player's FreeLibrary cannot pull code from under it (each exchange holds
// its own Winsock reference, so shutdown cannot pull its sockets either).
// Returns false, with nothing left behind, when the thread cannot be started.
bool StartWorker(std::function<void()> work);

}  // namespace stz
