// Registration scripts: the text form in which the module describes the
// registry keys it writes when registered and removes when unregistered.
//
//   HKCR
//   {
//       NoRemove AppID
//       {
//           '%APPID%' = s 'name'
//           'sub.key'
//           {
//               val AppID = s '%APPID%'
//           }
//       }
//   }
//
// A script is a list of root keys, each with a body in braces. In a body, a
// key is a name (bare, or quoted with ' where '' stands for one quote),
// optionally preceded by NoRemove (kept on unregistration), ForceRemove
// (removed with all it holds before it is written) or Delete (removed on
// registration, nothing written), optionally followed by "= type 'data'"
// for its default value and by a body of its own. "val name = type 'data'"
// in a body sets a named value. Types: s (string), e (expandable string),
// d (32-bit number, decimal or 0x hexadecimal). Keywords are compared
// without regard to case; a key that is named like one must be quoted.
//
// %NAME% is replaced before parsing (ExpandRegistrarText); %% gives one %.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace stz {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

enum class RegistryValueType { String, ExpandString, Dword };

struct RegistryValue {
    std::string name;  // empty: the key's default value
    RegistryValueType type = RegistryValueType::String;
    std::string text;          // String and ExpandString
    std::uint32_t number = 0;  // Dword
};

enum class KeyDisposition { Normal, NoRemove, ForceRemove, Delete };

struct RegistryKeyNode {
    std::string name;
    KeyDisposition disposition = KeyDisposition::Normal;
    std::vector<RegistryValue> values;  // the default value, if any, first
    std::vector<RegistryKeyNode> subkeys;
};

struct RegistryRootNode {
    RegistryRoot root = RegistryRoot::ClassesRoot;
    std::vector<RegistryKeyNode> subkeys;
};

struct RegistrarScript {
    std::vector<RegistryRootNode> roots;
};

struct RegistrarReplacement {
    std::string_view name;  // compared without regard to case
    std::string_view value;
};

// Nesting deeper than this is refused rather than followed.
inline constexpr int kMaxRegistrarDepth = 32;

// Replaces every %NAME% by its value. Nothing for an unknown name or a %
// without its closing partner.
std::optional<std::string> ExpandRegistrarText(std::string_view text,
                                               std::span<const RegistrarReplacement> replacements);

// Nothing for text that is not a well-formed script.
std::optional<RegistrarScript> ParseRegistrarScript(std::string_view text);

}  // namespace stz
