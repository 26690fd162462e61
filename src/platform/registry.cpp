#include "platform/registry.h"

#include <cerrno>

#include "platform/numbers.h"
#include "platform/registry_store.h"
#include "platform/registry_tree.h"

namespace {

// Reads the key at keyPath and hands it to use; returns fallback when it is missing or
// the store cannot be read.
template <typename Value, typename Use>
Value ReadKey(const std::string& keyPath, Value fallback, Use use) {
    RegistryKey root;
    if (!ReadRegistryStore(root).ok()) {
        return fallback;
    }
    const RegistryKey* key = FindRegistryKey(root, keyPath);
    return key == nullptr ? fallback : use(*key);
}

}  // namespace

std::string GetRegistryString(std::string keyPath, std::string valueName, RegistryRoot) {
    return ReadKey<std::string>(keyPath, {}, [&valueName](const RegistryKey& key) {
        const std::string* text = key.FindValue(valueName);
        return text == nullptr || text->size() > kMaxRegistryValueLength ? std::string() : *text;
    });
}

Result SetRegistryString(std::string keyPath, std::string valueName, std::string text,
                         RegistryRoot) {
    return ChangeRegistryStore([&](RegistryKey& root) {
        RegistryKey* key = FindRegistryKey(root, keyPath);
        if (key == nullptr) {
            return Result::FromErrno("change", keyPath, ENOENT);
        }
        if (text.size() > kMaxRegistryValueLength) {
            return Result::FromErrno("change", keyPath, EOVERFLOW);
        }
        key->SetValue(valueName, text);
        return Result::Ok();
    });
}

int GetRegistryInt(std::string keyPath, std::string valueName, RegistryRoot root) {
    return ParseLeadingInt(GetRegistryString(std::move(keyPath), std::move(valueName), root));
}

Result SetRegistryInt(std::string keyPath, std::string valueName, int value, RegistryRoot root) {
    return SetRegistryString(std::move(keyPath), std::move(valueName), std::to_string(value), root);
}

Result CreateRegistryKeyPath(std::string keyPath, RegistryRoot) {
    return ChangeRegistryStore([&keyPath](RegistryKey& root) {
        RegistryKey* key = &root;
        std::string_view rest = keyPath;
        for (std::size_t depth = 0; !rest.empty() && depth < kMaxRegistryKeyDepth; ++depth) {
            const std::size_t backslash = rest.find('\\');
            const std::string_view name = rest.substr(0, backslash);
            if (!IsValidRegistryKeyName(name)) {
                break;
            }
            key = &key->AddSubkey(name);
            rest.remove_prefix(backslash == std::string_view::npos ? rest.size() : backslash + 1);
        }
        return Result::Ok();
    });
}

Result DeleteRegistryKey(std::string parentKeyPath, std::string subkeyName, RegistryRoot) {
    return ChangeRegistryStore([&](RegistryKey& root) {
        RegistryKey* parent = FindRegistryKey(root, parentKeyPath);
        // An empty name would be the parent itself; nobody asks for that.
        if (parent == nullptr || subkeyName.empty()) {
            return Result::FromErrno("change", parentKeyPath, ENOENT);
        }
        // The name may reach further down: "a\b" deletes b below a.
        const std::size_t backslash = subkeyName.rfind('\\');
        if (backslash != std::string::npos) {
            parent = FindRegistryKey(*parent, subkeyName.substr(0, backslash));
        }
        const std::string last =
            backslash == std::string::npos ? subkeyName : subkeyName.substr(backslash + 1);
        return parent != nullptr && parent->RemoveSubkey(last)
                   ? Result::Ok()
                   : Result::FromErrno("change", parentKeyPath, ENOENT);
    });
}

int CountRegistrySubkeys(std::string keyPath, RegistryRoot) {
    return ReadKey<int>(
        keyPath, 0, [](const RegistryKey& key) { return static_cast<int>(key.subkeys.size()); });
}

std::string GetRegistrySubkeyName(std::string keyPath, int index, RegistryRoot) {
    return ReadKey<std::string>(keyPath, {}, [index](const RegistryKey& key) {
        if (index < 0 || static_cast<std::size_t>(index) >= key.subkeys.size()) {
            return std::string();
        }
        return key.subkeys[static_cast<std::size_t>(index)].name;
    });
}
