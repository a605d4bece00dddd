#include "service/md5.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace stz {
namespace {

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The compression function: sixteen little-endian words, four rounds of
// sixteen steps. Words are assembled byte by byte, so the block may sit at
// any address and the result does not depend on the machine's byte order.
void ProcessBlock(uint32_t abcd[4], const uint8_t* block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) {
        const uint8_t* p = block + 4 * i;
        x[i] = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
    }
    uint32_t a = abcd[0], b = abcd[1], c = abcd[2], d = abcd[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int word;
        switch (i / 16) {
            case 0: f = (b & c) | (~b & d); word = i; break;
            case 1: f = (b & d) | (c & ~d); word = (5 * i + 1) % 16; break;
            case 2: f = b ^ c ^ d; word = (3 * i + 5) % 16; break;
            default: f = c ^ (b | ~d); word = (7 * i) % 16; break;
        }
        const uint32_t sum = a + f + kSine[i] + x[word];
        a = d;
        d = c;
        c = b;
        b = b + Rotl(sum, kShift[i / 16][i % 4]);
    }
    abcd[0] += a;
    abcd[1] += b;
    abcd[2] += c;
    abcd[3] += d;
}

void AppendAll(Md5State& state, const char* data, size_t size) {
    // Md5Append takes a signed 32-bit count; longer inputs go in pieces.
    constexpr size_t kPiece = size_t{1} << 30;
    while (size > 0) {
        const size_t n = std::min(size, kPiece);
        Md5Append(state, data, static_cast<int32_t>(n));
        data += n;
        size -= n;
    }
}

void WriteHex(const uint8_t digest[16], char* out) {
    constexpr char kDigits[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = kDigits[digest[i] >> 4];
        out[2 * i + 1] = kDigits[digest[i] & 0x0F];
    }
}

}  // namespace

void Md5Init(Md5State& state) {
    state.count[0] = 0;
    state.count[1] = 0;
    state.abcd[0] = 0x67452301;
    state.abcd[1] = 0xefcdab89;
    state.abcd[2] = 0x98badcfe;
    state.abcd[3] = 0x10325476;
}

void Md5Append(Md5State& state, const void* data, int32_t length) {
    if (length <= 0 || data == nullptr) {
        return;
    }
    const auto* input = static_cast<const uint8_t*>(data);
    size_t left = static_cast<size_t>(length);
    const size_t used = (state.count[0] >> 3) & 63;

    const uint32_t bits = static_cast<uint32_t>(length) << 3;
    state.count[1] += static_cast<uint32_t>(length) >> 29;
    state.count[0] += bits;
    if (state.count[0] < bits) {
        ++state.count[1];
    }

    if (used != 0) {
        const size_t take = std::min(left, 64 - used);
        std::memcpy(state.buffer + used, input, take);
        if (used + take < 64) {
            return;
        }
        input += take;
        left -= take;
        ProcessBlock(state.abcd, state.buffer);
    }
    for (; left >= 64; input += 64, left -= 64) {
        ProcessBlock(state.abcd, input);
    }
    if (left != 0) {
        std::memcpy(state.buffer, input, left);
    }
}

void Md5Finish(Md5State& state, uint8_t digest[16]) {
    static constexpr uint8_t kPadding[64] = {0x80};
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i) {
        lengthBytes[i] = static_cast<uint8_t>(state.count[i / 4] >> (8 * (i % 4)));
    }
    const uint32_t used = (state.count[0] >> 3) & 63;
    // 56 bytes when the buffer is empty, 1 byte at 55, 64 bytes at 56.
    Md5Append(state, kPadding, static_cast<int32_t>(((55 - used) & 63) + 1));
    Md5Append(state, lengthBytes, 8);
    for (int i = 0; i < 16; ++i) {
        digest[i] = static_cast<uint8_t>(state.abcd[i / 4] >> (8 * (i % 4)));
    }
}

void Md5Hex(const char* zeroTerminated, char out[33]) {
    Md5State state;
    Md5Init(state);
    if (zeroTerminated != nullptr) {
        AppendAll(state, zeroTerminated, std::strlen(zeroTerminated));
    }
    uint8_t digest[16];
    Md5Finish(state, digest);
    WriteHex(digest, out);
    out[32] = '\0';
}

std::string Md5Hex(std::string_view bytes) {
    const size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos) {
        bytes = bytes.substr(0, zero);
    }
    Md5State state;
    Md5Init(state);
    AppendAll(state, bytes.data(), bytes.size());
    uint8_t digest[16];
    Md5Finish(state, digest);
    std::string hex(32, '\0');
    WriteHex(digest, hex.data());
    return hex;
}

}  // namespace stz
