// The installation identity in the registry, under Wine. The current user's
// hive is redirected to a key of this test process, so that the cases start
// from nothing, leave nothing behind and do not depend on their order.
#include <gtest/gtest.h>

#include <windows.h>

#include <time.h>

#include <string>
#include <vector>

#include "service/identity_seed.h"
#include "service/installation_identity_win32.h"

namespace stz {
namespace {

constexpr char kProductKey[] = "Software\\Stanzascopium";
constexpr char kOtherProductKey[] = "Software\\Vandrel";

class InstallationIdentityTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = "Software\\StanzascopiumTests\\identity-" + std::to_string(GetCurrentProcessId());
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &redirect_, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, redirect_), ERROR_SUCCESS);
    }

    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (redirect_ != nullptr) RegCloseKey(redirect_);
        RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    }

    static void CreateKey(const char* path) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static void Store(DWORD type, const std::string& data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, "DebugKey", 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    struct Stored {
        DWORD type = REG_NONE;
        std::string data;  // every byte, the terminator included
    };
    static Stored ReadBack() {
        Stored stored;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return stored;
        }
        char area[4096] = {};
        DWORD size = sizeof area;
        if (RegQueryValueExA(key, "DebugKey", nullptr, &stored.type,
                             reinterpret_cast<BYTE*>(area), &size) == ERROR_SUCCESS) {
            stored.data.assign(area, size);
        }
        RegCloseKey(key);
        return stored;
    }

    std::string root_;
    HKEY redirect_ = nullptr;
};

bool IsLowerHex32(const std::string& text) {
    return text.size() == 32 &&
           text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::string ComputerNameOrEmpty() {
    char name[256] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name) : std::string();
}

TEST_F(InstallationIdentityTest, OnlyAStoredTextOf32CharactersIsKept) {
    const std::string zs(32, 'z');
    struct Case {
        const char* name;
        bool store;
        DWORD type;
        std::string data;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"32 characters, not hexadecimal", true, REG_SZ, zs + '\0', true},
        {"32 characters without a stored terminator", true, REG_SZ, zs, true},
        {"no value", false, REG_NONE, "", false},
        {"empty", true, REG_SZ, std::string(1, '\0'), false},
        {"31 characters", true, REG_SZ, zs.substr(1) + '\0', false},
        {"33 characters", true, REG_SZ, zs + "z" + '\0', false},
        {"32 characters as binary data", true, REG_BINARY, zs, false},
        {"32 characters as an expandable text", true, REG_EXPAND_SZ, zs + '\0', false},
        {"a number", true, REG_DWORD, std::string("\x01\x02\x03\x04", 4), false},
        {"larger than the reading area", true, REG_SZ, std::string(2000, 'q') + '\0', false},
        // The area's last byte: still read, still terminated.
        {"exactly the reading area, unterminated", true, REG_SZ, std::string(1024, 'q'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeA(HKEY_CURRENT_USER, kProductKey);
        if (c.store) Store(c.type, c.data);

        const time_t before = _time64(nullptr);
        const InstallationIdentity identity = ReadInstallationIdentity("");
        const time_t after = _time64(nullptr);

        const Stored stored = ReadBack();
        if (c.kept) {
            EXPECT_EQ(identity.installId, zs);
            // Left as it was (read back, the system may add a terminator).
            EXPECT_EQ(stored.type, c.type);
            EXPECT_EQ(std::string(stored.data.c_str()), zs);
            continue;
        }
        EXPECT_TRUE(IsLowerHex32(identity.installId)) << identity.installId;
        // Made from this computer's name and the time of the call.
        bool madeHere = false;
        for (time_t now = before; now <= after; ++now) {
            madeHere |= identity.installId == NewInstallationIdentity(ComputerNameOrEmpty(), now);
        }
        EXPECT_TRUE(madeHere) << identity.installId;
        // Written back as 33 bytes of REG_SZ: the 32 characters and a zero.
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(stored.data, identity.installId + '\0');
    }
}

TEST_F(InstallationIdentityTest, ANewIdentityIsReadBackOnTheNextEnable) {
    const InstallationIdentity first = ReadInstallationIdentity("");
    const InstallationIdentity second = ReadInstallationIdentity("");
    EXPECT_TRUE(IsLowerHex32(first.installId));
    EXPECT_EQ(second.installId, first.installId);

    ServiceSession session;
    session.installId = "held from an earlier enable, not 32";
    EXPECT_EQ(LoadInstallationIdentity(session), 0);
    EXPECT_EQ(session.installId, first.installId);
}

TEST_F(InstallationIdentityTest, OtherProductIsSeenByItsKeyAlone) {
    struct Case {
        const char* name;
        bool keyPresent;
        bool identityStored;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {"no key, new identity", false, false, 0},
        {"key, new identity", true, false, 1},
        {"key, stored identity", true, true, 1},
        {"no key, stored identity", false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeA(HKEY_CURRENT_USER, kOtherProductKey);
        RegDeleteTreeA(HKEY_CURRENT_USER, kProductKey);
        if (c.keyPresent) CreateKey(kOtherProductKey);
        if (c.identityStored) Store(REG_SZ, std::string(32, 'a') + '\0');

        ServiceSession session;
        session.otherProductPresent = 1 - c.expected;  // must be overwritten
        LoadInstallationIdentity(session);
        EXPECT_EQ(session.otherProductPresent, c.expected);
    }
}

}  // namespace
}  // namespace stz
