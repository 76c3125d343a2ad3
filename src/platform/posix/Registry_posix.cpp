#include "platform/Registry.h"

#include "formats/RegistryStore.h"
#include "platform/posix/MachineRoot.h"
#include "platform/posix/PosixFile.h"

#include <sys/stat.h>

namespace tarvex::platform {

namespace {

struct OpenStore {
    std::string path;
    RegistryStore store;
    bool readOnly = false;
};

// The store as it stands on disk; a malformed file is reported, never reset.
OpenStore Load()
{
    OpenStore open;
    open.path = RegistryStorePath();
    std::string text;
    if (ReadWholeFile(open.path, text)) open.store = RegistryStore::Parse(text, open.path);
    // The owner's write bit stands for the read-only attribute: a store
    // marked read-only may be read but not changed, whoever we run as.
    struct stat st;
    open.readOnly = ::stat(open.path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
    return open;
}

std::string FullKeyPath(RootKey root, const std::string& keyPath)
{
    std::string relative = RelativeKeyPath(keyPath);
    return relative.empty() ? std::string(RootKeyName(root)) : std::string(RootKeyName(root)) + "\\" + relative;
}

} // namespace

void CreateRegistryKey(RootKey root, const std::string& keyPath)
{
    if (root == RootKey::Invalid) throw CreateKeyError(keyPath);
    OpenStore open = Load();
    if (open.readOnly) throw CreateKeyError(keyPath);
    if (open.store.AddKey(FullKeyPath(root, keyPath)) && !WriteFileReplacing(open.path, open.store.Text()))
        throw CreateKeyError(keyPath);
}

bool WriteRegistryValue(RootKey root, const std::string& keyPath, const std::string& name,
                        const std::string& value)
{
    if (root == RootKey::Invalid) return false;
    OpenStore open = Load();
    const std::string full = FullKeyPath(root, keyPath);
    if (open.readOnly || !open.store.FindKey(full)) return false;
    open.store.SetString(full, name, value);
    if (!WriteFileReplacing(open.path, open.store.Text())) throw SetDataError(name);
    return true;
}

std::optional<std::string> ReadRegistryString(RootKey root, const std::string& keyPath, const std::string& name)
{
    if (root == RootKey::Invalid) return std::nullopt;
    OpenStore open = Load();
    const RegistryStore::Value* value = open.store.FindValue(FullKeyPath(root, keyPath), name);
    if (!value) return std::nullopt;
    if (value->isString) return value->data;
    std::string text;
    if (DecodeHexString(value->raw, text)) return text;
    throw InvalidDataTypeError(name);
}

} // namespace tarvex::platform
