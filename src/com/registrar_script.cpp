#include "com/registrar_script.h"

#include <charconv>

namespace stz {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

enum class TokenKind { Word, Quoted, OpenBrace, CloseBrace, Equals, End, Bad };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // Word and Quoted
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool EndsWord(char c) { return IsSpace(c) || c == '{' || c == '}' || c == '=' || c == '\''; }

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    const Token& Peek() {
        if (!peeked_) {
            next_ = Read();
            peeked_ = true;
        }
        return next_;
    }

    Token Next() {
        Peek();
        peeked_ = false;
        return std::move(next_);
    }

private:
    Token Read() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
        if (pos_ == text_.size()) return {TokenKind::End, {}};
        const char c = text_[pos_];
        if (c == '{' || c == '}' || c == '=') {
            ++pos_;
            return {c == '{' ? TokenKind::OpenBrace : c == '}' ? TokenKind::CloseBrace : TokenKind::Equals, {}};
        }
        if (c == '\'') return ReadQuoted();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !EndsWord(text_[pos_])) ++pos_;
        return {TokenKind::Word, std::string(text_.substr(start, pos_ - start))};
    }

    // '' inside quotes stands for one quote.
    Token ReadQuoted() {
        Token token{TokenKind::Quoted, {}};
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c != '\'') {
                token.text.push_back(c);
            } else if (pos_ < text_.size() && text_[pos_] == '\'') {
                token.text.push_back('\'');
                ++pos_;
            } else {
                return token;
            }
        }
        return {TokenKind::Bad, {}};
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    Token next_;
    bool peeked_ = false;
};

std::optional<RegistryRoot> RootNamed(std::string_view name) {
    struct Entry {
        std::string_view shortName;
        std::string_view longName;
        RegistryRoot root;
    };
    static constexpr Entry kRoots[] = {
        {"HKCR", "HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
        {"HKCU", "HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
        {"HKLM", "HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
        {"HKU", "HKEY_USERS", RegistryRoot::Users},
    };
    for (const Entry& entry : kRoots) {
        if (EqualsNoCase(name, entry.shortName) || EqualsNoCase(name, entry.longName)) return entry.root;
    }
    return std::nullopt;
}

std::optional<KeyDisposition> DispositionNamed(std::string_view word) {
    if (EqualsNoCase(word, "NoRemove")) return KeyDisposition::NoRemove;
    if (EqualsNoCase(word, "ForceRemove")) return KeyDisposition::ForceRemove;
    if (EqualsNoCase(word, "Delete")) return KeyDisposition::Delete;
    return std::nullopt;
}

bool IsKeyword(std::string_view word) { return DispositionNamed(word) || EqualsNoCase(word, "val"); }

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t number = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, number, base);
    if (text.empty() || error != std::errc() || last != end) return std::nullopt;
    return number;
}

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text) {}

    std::optional<RegistrarScript> ParseScript() {
        RegistrarScript script;
        while (lexer_.Peek().kind != TokenKind::End) {
            Token name = lexer_.Next();
            if (name.kind != TokenKind::Word) return std::nullopt;
            const std::optional<RegistryRoot> root = RootNamed(name.text);
            if (!root) return std::nullopt;
            RegistryRootNode node;
            node.root = *root;
            if (lexer_.Next().kind != TokenKind::OpenBrace) return std::nullopt;
            if (!ParseBody(1, node.subkeys, nullptr)) return std::nullopt;
            script.roots.push_back(std::move(node));
        }
        return script;
    }

private:
    // Reads the keys and values of a body whose opening brace was read, up
    // to and including its closing brace. A root's body has no values.
    bool ParseBody(int depth, std::vector<RegistryKeyNode>& subkeys, std::vector<RegistryValue>* values) {
        if (depth > kMaxRegistrarDepth) return false;
        for (;;) {
            Token token = lexer_.Next();
            if (token.kind == TokenKind::CloseBrace) return true;
            if (token.kind == TokenKind::Word && EqualsNoCase(token.text, "val")) {
                if (!values) return false;
                Token name = lexer_.Next();
                if ((name.kind != TokenKind::Word && name.kind != TokenKind::Quoted) || name.text.empty()) return false;
                if (lexer_.Next().kind != TokenKind::Equals) return false;
                std::optional<RegistryValue> value = ParseValue(std::move(name.text));
                if (!value) return false;
                values->push_back(std::move(*value));
                continue;
            }
            RegistryKeyNode node;
            if (token.kind == TokenKind::Word) {
                if (const std::optional<KeyDisposition> disposition = DispositionNamed(token.text)) {
                    node.disposition = *disposition;
                    token = lexer_.Next();
                }
            }
            if (token.kind == TokenKind::Word && IsKeyword(token.text)) return false;
            if ((token.kind != TokenKind::Word && token.kind != TokenKind::Quoted) || token.text.empty()) return false;
            node.name = std::move(token.text);
            if (lexer_.Peek().kind == TokenKind::Equals) {
                lexer_.Next();
                std::optional<RegistryValue> value = ParseValue({});
                if (!value) return false;
                node.values.push_back(std::move(*value));
            }
            if (lexer_.Peek().kind == TokenKind::OpenBrace) {
                lexer_.Next();
                if (!ParseBody(depth + 1, node.subkeys, &node.values)) return false;
            }
            // A key removed on registration has nothing written into it.
            if (node.disposition == KeyDisposition::Delete && (!node.values.empty() || !node.subkeys.empty())) {
                return false;
            }
            subkeys.push_back(std::move(node));
        }
    }

    // After "=": a type letter and quoted data.
    std::optional<RegistryValue> ParseValue(std::string name) {
        const Token type = lexer_.Next();
        Token data = lexer_.Next();
        if (type.kind != TokenKind::Word || data.kind != TokenKind::Quoted) return std::nullopt;
        RegistryValue value;
        value.name = std::move(name);
        if (EqualsNoCase(type.text, "s")) {
            value.type = RegistryValueType::String;
            value.text = std::move(data.text);
        } else if (EqualsNoCase(type.text, "e")) {
            value.type = RegistryValueType::ExpandString;
            value.text = std::move(data.text);
        } else if (EqualsNoCase(type.text, "d")) {
            const std::optional<std::uint32_t> number = ParseNumber(data.text);
            if (!number) return std::nullopt;
            value.type = RegistryValueType::Dword;
            value.number = *number;
        } else {
            return std::nullopt;
        }
        return value;
    }

    Lexer lexer_;
};

}  // namespace

std::optional<std::string> ExpandRegistrarText(std::string_view text,
                                               std::span<const RegistrarReplacement> replacements) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        if (open == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, open - pos));
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name.empty()) {
            out.push_back('%');
        } else {
            const RegistrarReplacement* found = nullptr;
            for (const RegistrarReplacement& replacement : replacements) {
                if (EqualsNoCase(replacement.name, name)) {
                    found = &replacement;
                    break;
                }
            }
            if (!found) return std::nullopt;
            out.append(found->value);
        }
        pos = close + 1;
    }
    return out;
}

std::optional<RegistrarScript> ParseRegistrarScript(std::string_view text) { return Parser(text).ParseScript(); }

}  // namespace stz
