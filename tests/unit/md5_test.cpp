#include "service/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace stz {
namespace {

std::string HexOf(const uint8_t digest[16]) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (int i = 0; i < 16; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 15];
    }
    return hex;
}

// Feeds `bytes` in pieces of `piece` bytes and returns the hex digest.
std::string DigestInPieces(const std::vector<uint8_t>& bytes, size_t piece) {
    Md5State state;
    Md5Init(state);
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const size_t n = std::min(piece, bytes.size() - at);
        Md5Append(state, bytes.data() + at, static_cast<int32_t>(n));
    }
    uint8_t digest[16];
    Md5Finish(state, digest);
    return HexOf(digest);
}

struct Md5Case {
    const char* input;
    const char* hex;
};

// The test suite of RFC 1321, section A.5, in lowercase. Each value checked with
//   python3 -c 'import hashlib,sys; print(hashlib.md5(sys.argv[1].encode()).hexdigest())' '<input>'
const Md5Case kRfcSuite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5Test, RfcSuiteThroughBothHexForms) {
    for (const Md5Case& c : kRfcSuite) {
        char out[33];
        std::memset(out, 'x', sizeof out);
        Md5Hex(c.input, out);
        EXPECT_EQ(std::string(out), c.hex) << "input: " << c.input;
        EXPECT_EQ(out[32], '\0');
        EXPECT_EQ(Md5Hex(std::string_view(c.input)), c.hex) << "input: " << c.input;
    }
}

TEST(Md5Test, PaddingAroundTheLastBlockBoundary) {
    // 55 bytes still fit the length into one block, 56 need a second, 64 a
    // whole block of padding.
    //   python3 -c 'import hashlib; print(hashlib.md5(b"a"*55).hexdigest())'  (56, 64 likewise)
    EXPECT_EQ(Md5Hex(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(Md5Hex(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(Md5Hex(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
}

TEST(Md5Test, AnyPiecesGiveTheDigestOfTheWhole) {
    // 1000 bytes i % 251, zero bytes included (the incremental form takes raw bytes):
    //   python3 -c 'import hashlib; print(hashlib.md5(bytes(i%251 for i in range(1000))).hexdigest())'
    std::vector<uint8_t> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i % 251);
    }
    for (const size_t piece : {size_t{1}, size_t{63}, size_t{64}, size_t{65}, size_t{1000}}) {
        EXPECT_EQ(DigestInPieces(bytes, piece), "a24f1e3ef66950e1327f210e3997ba2c") << "pieces of " << piece;
    }
}

TEST(Md5Test, UnalignedInputAndNonPositiveCounts) {
    // "abc" placed at an odd address inside a longer buffer, with an empty
    // and a negative append in between: neither changes anything.
    alignas(8) char storage[80] = {};
    std::memcpy(storage + 1, "abc", 3);
    Md5State state;
    Md5Init(state);
    Md5Append(state, storage + 1, 2);
    Md5Append(state, storage, 0);
    Md5Append(state, storage, -5);
    Md5Append(state, storage + 3, 1);
    uint8_t digest[16];
    Md5Finish(state, digest);
    EXPECT_EQ(HexOf(digest), "900150983cd24fb0d6963f7d28e17f72");

    // 64 bytes from an odd address go straight through the block function.
    std::vector<uint8_t> unaligned(65, 'a');
    Md5Init(state);
    Md5Append(state, unaligned.data() + 1, 64);
    Md5Finish(state, digest);
    EXPECT_EQ(HexOf(digest), "014842d480b571495a4a0363793f7367");
}

TEST(Md5Test, HexStopsAtTheFirstZeroByte) {
    char out[33];
    Md5Hex("abc\0def", out);
    EXPECT_STREQ(out, "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex(std::string_view("abc\0def", 7)), "900150983cd24fb0d6963f7d28e17f72");
    Md5Hex(nullptr, out);
    EXPECT_STREQ(out, "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5Test, HighBytesAreDigestedAsTheyAre) {
    //   python3 -c 'import hashlib; print(hashlib.md5("Beyoncé".encode()).hexdigest())'
    EXPECT_EQ(Md5Hex(std::string_view("Beyonc\xC3\xA9")), "dc7d3caaa4fc4f835e58c233cc1c5eda");
}

}  // namespace
}  // namespace stz
