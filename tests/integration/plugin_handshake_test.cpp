// The session handshake as the service sees it, the replies the plug-in
// accepts, and the installation identity it sends.
#include <gtest/gtest.h>

#include "rig_helpers.h"

namespace stz::standin {
namespace {

constexpr char kStoredId[] = "0123456789abcdef0123456789abcdef";

void StoreValue(const char* key, const char* name, DWORD type, const std::string& data) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS);
    if (name != nullptr) {
        EXPECT_EQ(RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size())),
                  ERROR_SUCCESS);
    }
    RegCloseKey(h);
}

struct StoredValue {
    DWORD type = REG_NONE;
    std::string data;
};

StoredValue ReadDebugKey() {
    StoredValue value;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Stanzascopium", 0, KEY_READ, &h) != ERROR_SUCCESS) return value;
    char buffer[256];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(h, "DebugKey", nullptr, &value.type, reinterpret_cast<BYTE*>(buffer), &size) ==
        ERROR_SUCCESS) {
        value.data.assign(buffer, size);
    }
    RegCloseKey(h);
    return value;
}

bool IsLowerHex32(const std::string& text) {
    return text.size() == 32 &&
           text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

TEST(PluginHandshake, SendsIdentityClientVersionAndFlagByteForByte) {
    TestRig rig;
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    StoreValue("Software\\Stanzascopium", "DebugKey", REG_SZ, std::string(kStoredId) + '\0');
    ASSERT_TRUE(StartSession(rig)) << rig.TimelineText();

    const auto sessions = rig.service.Requests(kSessionPath);
    ASSERT_EQ(sessions.size(), 1u);
    // python3 -c "print(len('sid=0123456789abcdef0123456789abcdef&i=itw&v=9.2&m=0'))"  -> 52
    EXPECT_EQ(sessions[0].raw,
              "POST /plugin/session.php HTTP/1.0\n"
              "User-Agent: Stanzascopium/0.4 (iTunes build)\n"
              "Content-Type: application/x-www-form-urlencoded\n"
              "Content-Length: 52\n"
              "\n"
              "sid=0123456789abcdef0123456789abcdef&i=itw&v=9.2&m=0\n"
              "\n");
    EXPECT_TRUE(sessions[0].framed);
}

// Which handshake replies give a session: the proof is a status report at
// the next play, signed with the key of that very token.
TEST(PluginHandshake, AcceptsExactly32CharacterTokenLines) {
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    const std::string token = "handshake-token-0123456789abcdef";  // 32 characters
    struct Case {
        const char* name;
        std::string reply;
        bool accepted;
    } cases[] = {
        {"32 characters, CR LF", head + token + "\r\n", true},
        {"error status, valid token", "HTTP/1.0 500 Internal Server Error\r\n\r\n" + token + "\r\n", true},
        {"31 characters", head + token.substr(1) + "\r\n", false},
        {"33 characters", head + token + "x\r\n", false},
        {"trailing blank", head + token + " \r\n", false},
        {"empty first line", head + "\r\n" + token + "\r\n", false},
        {"no end of headers", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n" + token + "\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RigOptions options;
        options.sessionReply = c.reply;
        TestRig rig(options);
        ASSERT_TRUE(rig.Ready()) << rig.Error();
        ASSERT_TRUE(StartSession(rig)) << rig.TimelineText();
        rig.player.Play(Song(u"Handshake Artist", u"Handshake Song", 200000));
        rig.service.WaitForRequests(kStatusPath, 1, c.accepted ? 10000 : 1500);
        const auto statuses = rig.service.Requests(kStatusPath);
        if (c.accepted) {
            ASSERT_EQ(statuses.size(), 1u) << rig.TimelineText();
            EXPECT_EQ(statuses[0].signature, SignatureCheck::Session);
        } else {
            EXPECT_TRUE(statuses.empty()) << rig.TimelineText();
        }
        rig.player.Cleanup();
    }
}

// What the handshake carries as "sid" and "m" for what the registry holds.
TEST(PluginIdentity, KeepsValid32CharacterValuesAndReplacesOthers) {
    struct Case {
        const char* name;
        DWORD type;
        std::string stored;  // empty with REG_NONE: nothing stored
        bool otherProduct;
        bool kept;
    } cases[] = {
        {"nothing stored", REG_NONE, "", false, false},
        {"32 letters z, not hexadecimal", REG_SZ, std::string(32, 'z') + '\0', false, true},
        {"31 characters", REG_SZ, std::string(kStoredId).substr(1) + '\0', false, false},
        {"33 characters", REG_SZ, std::string(kStoredId) + "a" + '\0', false, false},
        {"binary value", REG_BINARY, kStoredId, false, false},
        {"other product present", REG_SZ, std::string(kStoredId) + '\0', true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestRig rig;
        ASSERT_TRUE(rig.Ready()) << rig.Error();
        if (c.type != REG_NONE) StoreValue("Software\\Stanzascopium", "DebugKey", c.type, c.stored);
        if (c.otherProduct) StoreValue("Software\\Vandrel", nullptr, REG_NONE, "");
        ASSERT_TRUE(StartSession(rig)) << rig.TimelineText();
        // A second enable reads the same identity back.
        rig.player.Enable();
        ASSERT_TRUE(rig.service.WaitForRequests(kSessionPath, 2, 20000)) << rig.TimelineText();

        const auto sessions = rig.service.Requests(kSessionPath);
        const std::string sid = sessions[0].Field("sid").value_or("?");
        EXPECT_EQ(sessions[1].Field("sid"), sid) << "the identity changed between two enables";
        EXPECT_EQ(sessions[0].Field("m"), c.otherProduct ? "1" : "0");
        if (c.kept) {
            EXPECT_EQ(sid + '\0', c.stored);
        } else {
            EXPECT_TRUE(IsLowerHex32(sid)) << sid;
            const StoredValue stored = ReadDebugKey();
            EXPECT_EQ(stored.type, DWORD(REG_SZ));
            EXPECT_EQ(stored.data, sid + '\0') << "not stored back as 33 bytes";
        }
        rig.player.Cleanup();
    }
}

}  // namespace
}  // namespace stz::standin
