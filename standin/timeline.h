// A readable record of what happened, shared by the player and the service
// thread: one line per host message and per request received.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace stz::standin {

class Timeline {
public:
    explicit Timeline(std::FILE* echo = nullptr);

    // Milliseconds since the timeline was made.
    double NowMs() const;

    // "  12.345  who  text"; echoed at once when an echo stream was given.
    void Add(std::string_view who, std::string_view text);
    std::vector<std::string> Lines() const;

private:
    const std::chrono::steady_clock::time_point start_;
    std::FILE* echo_;
    mutable std::mutex lock_;
    std::vector<std::string> lines_;
};

// Text for printing: bytes 0x20..0x7E as they are, the rest as \xNN; quoted.
std::string Printable(std::string_view bytes, size_t limit = 200);

}  // namespace stz::standin
