// MD5 (RFC 1321) over a caller-owned state: no allocation, no error path.
// Every identity, session key and request signature is an MD5 hex digest.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace stz {

struct Md5State {
    uint32_t count[2];   // message bits appended so far, low word first (mod 2^64)
    uint32_t abcd[4];    // the running digest
    uint8_t buffer[64];  // bytes not yet processed: (count[0] / 8) % 64 in use
};

void Md5Init(Md5State& state);
// Feeds `length` bytes; a length of 0 or less changes nothing. The input may
// have any alignment.
void Md5Append(Md5State& state, const void* data, int32_t length);
// Pads, appends the bit count and writes the 16-byte digest. The state is
// spent afterwards.
void Md5Finish(Md5State& state, uint8_t digest[16]);

// 32 lowercase hex digits and a zero byte of the MD5 of the bytes before the
// first zero byte. A null pointer digests as the empty text.
void Md5Hex(const char* zeroTerminated, char out[33]);
// The same, for a view: digests the bytes up to its first zero byte, as the
// zero-terminated form would.
std::string Md5Hex(std::string_view bytes);

}  // namespace stz
