#include "filter/module/registry_script.h"

#include <cstdint>
#include <cwctype>
#include <optional>

#include "filter/com/hresult_error.h"

namespace tl {
namespace {

const HRESULT kBadScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

struct ScriptValue {
    DWORD type = REG_SZ;
    std::wstring text;
    DWORD number = 0;
};

enum class KeyFlag { kNone, kNoRemove, kForceRemove };

struct ScriptKey {
    std::wstring name;
    KeyFlag flag = KeyFlag::kNone;
    std::optional<ScriptValue> defaultValue;
    std::vector<std::pair<std::wstring, ScriptValue>> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
    HKEY root;
    std::vector<ScriptKey> keys;
};

struct ParseError {};

class Parser {
public:
    Parser(std::wstring_view text, const ScriptVariables& variables) : text_(text), variables_(variables) {}

    std::vector<ScriptRoot> Parse() {
        std::vector<ScriptRoot> roots;
        while (SkipSpace()) {
            ScriptRoot root{RootKey(Word()), {}};
            Expect(L"{");
            while (!Peek(L"}")) root.keys.push_back(Key());
            Expect(L"}");
            roots.push_back(std::move(root));
        }
        return roots;
    }

private:
    static HKEY RootKey(const std::wstring& name) {
        if (name == L"HKCR" || name == L"HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
        if (name == L"HKCU" || name == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
        if (name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
        throw ParseError();
    }

    ScriptKey Key() {
        ScriptKey key;
        key.name = Name();
        if (key.name == L"NoRemove" || key.name == L"ForceRemove") {
            key.flag = key.name == L"NoRemove" ? KeyFlag::kNoRemove : KeyFlag::kForceRemove;
            key.name = Name();
        }
        if (Peek(L"=")) {
            Expect(L"=");
            key.defaultValue = Value();
        }
        if (Peek(L"{")) {
            Expect(L"{");
            while (!Peek(L"}")) {
                if (PeekWord(L"val")) {
                    Word();
                    std::wstring name = Name();
                    Expect(L"=");
                    key.values.emplace_back(std::move(name), Value());
                } else {
                    key.subkeys.push_back(Key());
                }
            }
            Expect(L"}");
        }
        return key;
    }

    ScriptValue Value() {
        const std::wstring type = Word();
        ScriptValue value;
        if (type == L"s") {
            value.type = REG_SZ;
            value.text = Name();
        } else if (type == L"d") {
            value.type = REG_DWORD;
            value.number = Number(Name());
        } else {
            throw ParseError();
        }
        return value;
    }

    static DWORD Number(const std::wstring& text) {
        if (text.empty()) throw ParseError();
        std::size_t used = 0;
        unsigned long long number = 0;
        try {
            number = std::stoull(text, &used, 0);
        } catch (const std::exception&) {
            throw ParseError();
        }
        if (used != text.size() || number > 0xFFFFFFFFull) throw ParseError();
        return static_cast<DWORD>(number);
    }

    // A quoted string or a bare word, with variables replaced.
    std::wstring Name() {
        if (!SkipSpace()) throw ParseError();
        if (text_[pos_] != L'\'') return Substitute(Word());
        std::wstring raw;
        for (++pos_;; ++pos_) {
            if (pos_ >= text_.size()) throw ParseError();
            if (text_[pos_] == L'\'') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == L'\'') {
                    raw += L'\'';
                    ++pos_;
                    continue;
                }
                ++pos_;
                return Substitute(raw);
            }
            raw += text_[pos_];
        }
    }

    std::wstring Substitute(const std::wstring& raw) const {
        std::wstring out;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != L'%') {
                out += raw[i];
                continue;
            }
            const std::size_t end = raw.find(L'%', i + 1);
            if (end == std::wstring::npos) throw ParseError();
            const std::wstring name = raw.substr(i + 1, end - i - 1);
            i = end;
            if (name.empty()) {
                out += L'%';
                continue;
            }
            bool found = false;
            for (const auto& [variable, value] : variables_) {
                if (variable == name) {
                    out += value;
                    found = true;
                    break;
                }
            }
            if (!found) throw ParseError();
        }
        return out;
    }

    // A brace is a token of its own only when whitespace or the end follows it,
    // so identifiers such as {guid} stay words.
    static bool IsBrace(std::wstring_view text, std::size_t pos) {
        return (text[pos] == L'{' || text[pos] == L'}') &&
               (pos + 1 == text.size() || std::iswspace(text[pos + 1]));
    }

    std::wstring Word() {
        if (!SkipSpace()) throw ParseError();
        if (IsBrace(text_, pos_) || text_[pos_] == L'=') return std::wstring(1, text_[pos_++]);
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !std::iswspace(text_[pos_]) && text_[pos_] != L'=' &&
               text_[pos_] != L'\'') {
            ++pos_;
        }
        if (pos_ == start) throw ParseError();
        return std::wstring(text_.substr(start, pos_ - start));
    }

    bool Peek(std::wstring_view token) {
        if (!SkipSpace()) return false;
        if (token == L"=") return text_[pos_] == L'=';
        return text_[pos_] == token[0] && IsBrace(text_, pos_);
    }

    bool PeekWord(std::wstring_view word) {
        if (!SkipSpace() || text_.substr(pos_, word.size()) != word) return false;
        const std::size_t after = pos_ + word.size();
        return after < text_.size() && std::iswspace(text_[after]);
    }

    void Expect(std::wstring_view token) {
        if (!Peek(token)) throw ParseError();
        ++pos_;
    }

    // False at the end of the text.
    bool SkipSpace() {
        while (pos_ < text_.size() && std::iswspace(text_[pos_])) ++pos_;
        return pos_ < text_.size();
    }

    std::wstring_view text_;
    const ScriptVariables& variables_;
    std::size_t pos_ = 0;
};

LONG SetValue(HKEY key, const wchar_t* name, const ScriptValue& value) {
    if (value.type == REG_DWORD) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                              sizeof(value.number));
    }
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                          static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
}

LONG RegisterKey(HKEY parent, const ScriptKey& script) {
    if (script.flag == KeyFlag::kForceRemove) RegDeleteTreeW(parent, script.name.c_str());
    HKEY key = nullptr;
    LONG status = RegCreateKeyExW(parent, script.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    if (script.defaultValue) status = SetValue(key, nullptr, *script.defaultValue);
    for (const auto& [name, value] : script.values) {
        if (status == ERROR_SUCCESS) status = SetValue(key, name.c_str(), value);
    }
    for (const ScriptKey& subkey : script.subkeys) {
        if (status == ERROR_SUCCESS) status = RegisterKey(key, subkey);
    }
    RegCloseKey(key);
    return status;
}

void UnregisterKey(HKEY parent, const ScriptKey& script) {
    if (script.flag == KeyFlag::kForceRemove) {
        RegDeleteTreeW(parent, script.name.c_str());
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, script.name.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    for (const ScriptKey& subkey : script.subkeys) UnregisterKey(key, subkey);
    for (const auto& value : script.values) RegDeleteValueW(key, value.first.c_str());
    DWORD subkeys = 0;
    const bool empty = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0;
    RegCloseKey(key);
    if (script.flag == KeyFlag::kNone && empty) RegDeleteKeyW(parent, script.name.c_str());
}

}  // namespace

HRESULT ApplyRegistryScript(std::wstring_view script, const ScriptVariables& variables, bool registering) {
    return com::Guarded([&]() -> HRESULT {
        std::vector<ScriptRoot> roots;
        try {
            roots = Parser(script, variables).Parse();
        } catch (const ParseError&) {
            return kBadScript;
        }
        for (const ScriptRoot& root : roots) {
            for (const ScriptKey& key : root.keys) {
                if (!registering) {
                    UnregisterKey(root.root, key);
                    continue;
                }
                const LONG status = RegisterKey(root.root, key);
                if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
            }
        }
        return S_OK;
    });
}

HRESULT ApplyRegistryScriptResource(HMODULE module, UINT id, const ScriptVariables& variables,
                                    bool registering) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!found) return HRESULT_FROM_WIN32(GetLastError());
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD bytes = SizeofResource(module, found);
    const char* data = static_cast<const char*>(LockResource(loaded));
    if (!data) return HRESULT_FROM_WIN32(GetLastError());
    return com::Guarded([&]() -> HRESULT {
        const int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, static_cast<int>(bytes),
                                              nullptr, 0);
        if (bytes != 0 && chars <= 0) return kBadScript;
        std::wstring script(static_cast<std::size_t>(chars), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(bytes), script.data(), chars);
        return ApplyRegistryScript(script, variables, registering);
    });
}

}  // namespace tl
