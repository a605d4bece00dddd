// What the player sees of the plug-in: the registration it receives at
// 'init' and the answers to every message.
#include <gtest/gtest.h>

#include <cstring>

#include "host_codes.h"
#include "host_records.h"
#include "test_rig_win32.h"

namespace stz::standin {
namespace {

// The whole 'rvis' message record with the handler pointer (+88..+91) zeroed:
// python3 -c "import struct; print((struct.pack('<iii',10,5,124)+bytes([13])+b'Stanzascopium'
//   +bytes(50)+struct.pack('<II',32,0x3F3F3F3F)+bytes([1,0,0x80,0])+bytes(4)
//   +struct.pack('<IIIIHHHHHHHH',0,1000,0,0,64,64,32767,32767,0,0,0,0)).hex())"
constexpr char kRegistrationHex[] =
    "0a000000050000007c0000000d5374616e7a6173636f7069756d00000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000000000000000200000003f3f3f3f010080000000000000000000"
    "e8030000000000000000000040004000ff7fff7f0000000000000000";

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

TEST(HostInterface, RegistersItselfByteForByteAtInit) {
    TestRig rig;
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    rig.player.Register();
    ASSERT_TRUE(rig.player.Registered().has_value()) << "the application procedure was not called with 'rvis'";
    const Registration& r = *rig.player.Registered();
    ASSERT_EQ(r.bytes.size(), kRegistrationMessageSize);

    EXPECT_NE(r.handler, 0u) << "no message handler at +76 of the registration record";
    std::vector<uint8_t> withoutHandler = r.bytes;
    std::memset(withoutHandler.data() + kRegistrationHandlerOffset, 0, 4);
    EXPECT_EQ(Hex(withoutHandler), kRegistrationHex);

    // The handler must be code inside the DLL.
    HMODULE owner = nullptr;
    EXPECT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(uintptr_t(r.handler)), &owner));
    EXPECT_EQ(owner, GetModuleHandleW(L"itw_stanzascopium.dll"));
}

// Every code, known or not, answers 0, at the entry and at the handler; the
// records are zeroed, so 'show' names no window and 'vply'/'ctrk' no track.
TEST(HostInterface, EveryCodeAnswersZero) {
    TestRig rig;
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    std::vector<uint8_t> record(kVisualMessageSize, 0);

    for (uint32_t code : {0u, 0xFFFFFFFFu, FourCc("abcd"), kCodePlay, kCodeEnable, kCodeRegister}) {
        EXPECT_EQ(rig.player.SendEntry(code, record.data()), 0) << FourCcText(code) << " at the entry";
    }
    rig.player.Register();
    ASSERT_TRUE(rig.player.Registered().has_value());
    for (uint32_t code : {kCodeInit, kCodeEnable, kCodeShow, kCodeHide, kCodePlace, kCodePlay, kCodeChangeTrack,
                          kCodeStop, 0u, 0xFFFFFFFFu, FourCc("abcd"), kCodeRegister, kCodeCleanup, kCodeEnable}) {
        std::fill(record.begin(), record.end(), 0);
        EXPECT_EQ(rig.player.SendVisual(code, record.data()), 0) << FourCcText(code) << " at the handler";
        rig.player.PumpFor(50);
    }
    for (uint32_t code : {kCodeCleanup, kCodeCleanup}) {
        std::fill(record.begin(), record.end(), 0);
        EXPECT_EQ(rig.player.SendEntry(code, record.data()), 0) << FourCcText(code) << " at the entry";
    }
    if (HasFailure()) ADD_FAILURE() << rig.TimelineText();
}

}  // namespace
}  // namespace stz::standin
