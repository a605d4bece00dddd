#include "com/registrar_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace stz {
namespace {

// One line per key and per value, in script order, so that a whole tree
// compares as one list: "path [disposition]" and "path : name = type data".
void Flatten(const std::string& path, const RegistryKeyNode& key, std::vector<std::string>& out) {
    static const char* const kDisposition[] = {"", " [NoRemove]", " [ForceRemove]", " [Delete]"};
    const std::string here = path + "\\" + key.name;
    out.push_back(here + kDisposition[static_cast<int>(key.disposition)]);
    for (const RegistryValue& value : key.values) {
        std::string line = here + " : " + (value.name.empty() ? "@" : value.name) + " = ";
        switch (value.type) {
            case RegistryValueType::String: line += "s '" + value.text + "'"; break;
            case RegistryValueType::ExpandString: line += "e '" + value.text + "'"; break;
            case RegistryValueType::Dword: line += "d " + std::to_string(value.number); break;
        }
        out.push_back(line);
    }
    for (const RegistryKeyNode& sub : key.subkeys) Flatten(here, sub, out);
}

std::vector<std::string> Flatten(const RegistrarScript& script) {
    static const char* const kRoot[] = {"HKCR", "HKCU", "HKLM", "HKU"};
    std::vector<std::string> out;
    for (const RegistryRootNode& root : script.roots) {
        out.push_back(kRoot[static_cast<int>(root.root)]);
        for (const RegistryKeyNode& key : root.subkeys) Flatten(kRoot[static_cast<int>(root.root)], key, out);
    }
    return out;
}

// The module's own AppID script, byte for byte as the DLL carries it.
constexpr std::string_view kAppIdScript =
    "HKCR\r\n"
    "{\r\n"
    "\tNoRemove AppID\r\n"
    "\t{\r\n"
    "\t\t'%APPID%' = s 'itw_stanzascopium'\r\n"
    "\t\t'itw_stanzascopium.DLL'\r\n"
    "\t\t{\r\n"
    "\t\t\tval AppID = s '%APPID%'\r\n"
    "\t\t}\r\n"
    "\t}\r\n"
    "}\r\n";

TEST(RegistrarScript, TheModuleScriptExpandsAndParsesToItsKeys) {
    const RegistrarReplacement replacements[] = {{"APPID", "{30CC3511-78B7-46B8-8562-C9B1134E78E0}"}};
    const std::optional<std::string> expanded = ExpandRegistrarText(kAppIdScript, replacements);
    ASSERT_TRUE(expanded);
    const std::optional<RegistrarScript> script = ParseRegistrarScript(*expanded);
    ASSERT_TRUE(script);
    const std::vector<std::string> expected = {
        "HKCR",
        "HKCR\\AppID [NoRemove]",
        "HKCR\\AppID\\{30CC3511-78B7-46B8-8562-C9B1134E78E0}",
        "HKCR\\AppID\\{30CC3511-78B7-46B8-8562-C9B1134E78E0} : @ = s 'itw_stanzascopium'",
        "HKCR\\AppID\\itw_stanzascopium.DLL",
        "HKCR\\AppID\\itw_stanzascopium.DLL : AppID = s '{30CC3511-78B7-46B8-8562-C9B1134E78E0}'",
    };
    EXPECT_EQ(Flatten(*script), expected);
}

struct ParseCase {
    const char* name;
    const char* text;
    std::vector<std::string> expected;
};

TEST(RegistrarScript, ParsesWellFormedScripts) {
    const ParseCase cases[] = {
        {"empty script", "  \r\n", {}},
        {"long root names, empty bodies", "HKEY_CLASSES_ROOT {} HKEY_LOCAL_MACHINE{}hku{}", {"HKCR", "HKLM", "HKU"}},
        {"keywords and types in any case",
         "hkcu { noremove A { VAL x = S 'y' } FORCEREMOVE B = E '%%' delete C }",
         {"HKCU", "HKCU\\A [NoRemove]", "HKCU\\A : x = s 'y'", "HKCU\\B [ForceRemove]", "HKCU\\B : @ = e '%%'",
          "HKCU\\C [Delete]"}},
        {"doubled quotes, blanks and braces inside quotes",
         "HKCR { 'it''s {a} = key' = s 'x''' }",
         {"HKCR", "HKCR\\it's {a} = key", "HKCR\\it's {a} = key : @ = s 'x''"}},
        {"keyword names when quoted", "HKCR { 'Delete' { val 'val' = s '' } }",
         {"HKCR", "HKCR\\Delete", "HKCR\\Delete : val = s ''"}},
        {"numbers decimal and hexadecimal, up to 32 bits",
         "HKLM { K { val a = d '0' val b = d '4294967295' val c = d '0xFFFFFFFF' val d = d '0x1f' } }",
         {"HKLM", "HKLM\\K", "HKLM\\K : a = d 0", "HKLM\\K : b = d 4294967295", "HKLM\\K : c = d 4294967295",
          "HKLM\\K : d = d 31"}},
        {"default value before the body, nesting",
         "HKCR{A=s'1'{B{C=s'2'}}}",
         {"HKCR", "HKCR\\A", "HKCR\\A : @ = s '1'", "HKCR\\A\\B", "HKCR\\A\\B\\C", "HKCR\\A\\B\\C : @ = s '2'"}},
    };
    for (const ParseCase& c : cases) {
        const std::optional<RegistrarScript> script = ParseRegistrarScript(c.text);
        ASSERT_TRUE(script) << c.name;
        EXPECT_EQ(Flatten(*script), c.expected) << c.name;
    }
}

std::string Nested(int depth) {
    std::string text = "HKCR {";
    for (int i = 0; i < depth; ++i) text += " k {";
    for (int i = 0; i < depth; ++i) text += " }";
    return text + " }";
}

TEST(RegistrarScript, RefusesMalformedScripts) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"unknown root", "HKXX { }"},
        {"root without body", "HKCR"},
        {"root with a value", "HKCR = s 'x' { }"},
        {"unclosed body", "HKCR { A { }"},
        {"stray closing brace", "HKCR { } }"},
        {"unterminated quote", "HKCR { 'A }"},
        {"value at root level", "HKCR { val a = s 'x' }"},
        {"value without name", "HKCR { A { val = s 'x' } }"},
        {"value with empty name", "HKCR { A { val '' = s 'x' } }"},
        {"key with empty name", "HKCR { '' }"},
        {"keyword as bare key name", "HKCR { NoRemove Delete }"},
        {"two dispositions", "HKCR { NoRemove ForceRemove A }"},
        {"unknown type", "HKCR { A = b '00' }"},
        {"unquoted data", "HKCR { A = s x }"},
        {"missing data", "HKCR { A = s }"},
        {"number not a number", "HKCR { A = d 'ten' }"},
        {"number with trailing text", "HKCR { A = d '12 ' }"},
        {"number too large", "HKCR { A = d '4294967296' }"},
        {"hexadecimal too large", "HKCR { A = d '0x100000000' }"},
        {"negative number", "HKCR { A = d '-1' }"},
        {"Delete with a value", "HKCR { Delete A = s 'x' }"},
        {"Delete with a body", "HKCR { Delete A { B } }"},
        {"nesting too deep", Nested(kMaxRegistrarDepth)},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ParseRegistrarScript(c.text)) << c.name;
    }
    // The deepest nesting still accepted: a root and its keys.
    EXPECT_TRUE(ParseRegistrarScript(Nested(kMaxRegistrarDepth - 1)));
}

TEST(RegistrarScript, ExpandsReplacements) {
    const RegistrarReplacement replacements[] = {{"APPID", "{G}"}, {"Module", "C:\\a%b.dll"}};
    const struct {
        const char* text;
        std::optional<std::string> expected;
    } cases[] = {
        {"", ""},
        {"no replacement", "no replacement"},
        {"'%APPID%' %appid%", "'{G}' {G}"},
        {"%MODULE%%APPID%", "C:\\a%b.dll{G}"},  // a % in a value is not read again
        {"100%% sure", "100% sure"},
        {"%UNKNOWN%", std::nullopt},
        {"half %APPID", std::nullopt},
        {"%", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandRegistrarText(c.text, replacements), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace stz
