#include "platform/Registry.h"

#include "formats/RegistryStore.h"
#include "platform/posix/MachineRoot.h"
#include "platform/posix/PosixFile.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <sys/stat.h>

namespace tarvex::platform {

namespace {

// Tells one version of the store file from another without reading it; a
// replacement through a temporary file always has another inode.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0; // nanoseconds
    long long changed = 0;
    bool operator==(const FileIdentity&) const = default;
};

long long Nanoseconds(const timespec& t) { return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec; }

FileIdentity Identify(const struct stat& st)
{
    return {true, st.st_dev, st.st_ino, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
}

// File times advance in clock ticks (seconds on some file systems): a file
// changed this recently may change again, in place and to the same length,
// without its identity showing it. Until then its content is compared too.
constexpr long long kRacyNanoseconds = 2000000000LL;

bool IsRacy(const FileIdentity& identity)
{
    if (!identity.exists) return false;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now) - std::max(identity.modified, identity.changed) < kRacyNanoseconds;
}

std::size_t Fingerprint(std::string_view text) { return std::hash<std::string_view>{}(text); }

// The machine root's store, kept in memory for the process: read when first
// used and again whenever the file has changed since (another process, an
// edit between runs), unless changes of ours are still held back.
struct CachedStore {
    std::mutex mutex;
    std::string path;
    bool loaded = false;
    FileIdentity identity;
    bool racy = false;           // identity alone does not tell a change yet
    std::size_t fingerprint = 0; // of the text the memory came from or went to
    RegistryStore store;
    // The owner's write bit stands for the read-only attribute: a store
    // marked read-only may be read but not changed, whoever we run as.
    bool readOnly = false;
    // A store that cannot be read finds nothing and is never written over.
    bool unreadable = false;
    bool dirty = false;
    std::string pendingError; // what the first held-back change raises if writing fails
    int batches = 0;
};

CachedStore& Cache()
{
    static CachedStore cache;
    return cache;
}

// Writes held-back changes through a temporary file, so that a crash leaves
// the old store whole. On failure the memory goes too: what the file holds
// is what the next call finds, as if each write had failed on its own.
void FlushLocked(CachedStore& c)
{
    if (!c.dirty) return;
    const std::string error = c.pendingError;
    c.dirty = false;
    c.pendingError.clear();
    // Marked read-only since the writes were held: refused as each would be.
    struct stat st;
    const bool readOnly = ::stat(c.path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
    const std::string text = readOnly ? std::string() : c.store.Text();
    if (readOnly || !WriteFileReplacing(c.path, text)) {
        c.loaded = false;
        c.store = RegistryStore();
        throw ERegistryError(error);
    }
    c.identity = ::stat(c.path.c_str(), &st) == 0 ? Identify(st) : FileIdentity{};
    c.racy = IsRacy(c.identity);
    c.fingerprint = Fingerprint(text);
}

// Brings the memory up to the file; a malformed file is reported, never reset.
void Refresh(CachedStore& c)
{
    const std::string path = RegistryStorePath();
    if (path != c.path) {
        FlushLocked(c); // changes of the machine root left behind go to it first
        c.path = path;
        c.loaded = false;
        c.store = RegistryStore();
    }
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    c.readOnly = exists && (st.st_mode & S_IWUSR) == 0;
    const FileIdentity now = exists ? Identify(st) : FileIdentity{};
    if (c.loaded && (c.dirty || (now == c.identity && !c.racy))) return;
    std::string text;
    const bool readable = exists && (st.st_mode & S_IRUSR) != 0 && ReadHostFile(path, text);
    if (c.loaded && now == c.identity && readable && Fingerprint(text) == c.fingerprint) {
        c.racy = IsRacy(now);
        return;
    }
    c.loaded = false;
    RegistryStore store;
    if (readable) store = RegistryStore::Parse(text, path);
    c.store = std::move(store);
    c.unreadable = exists && !readable;
    c.identity = now;
    c.racy = IsRacy(now);
    c.fingerprint = Fingerprint(text);
    c.loaded = true;
}

void Changed(CachedStore& c, const ERegistryError& wouldRaise)
{
    if (!c.dirty) c.pendingError = wouldRaise.Message();
    c.dirty = true;
    if (c.batches == 0) FlushLocked(c);
}

std::string FullKeyPath(RootKey root, const std::string& keyPath)
{
    std::string relative = RelativeKeyPath(keyPath);
    return relative.empty() ? std::string(RootKeyName(root)) : std::string(RootKeyName(root)) + "\\" + relative;
}

} // namespace

RegistryBatch::RegistryBatch()
{
    std::lock_guard<std::mutex> lock(Cache().mutex);
    ++Cache().batches;
}

RegistryBatch::~RegistryBatch()
{
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    if (--c.batches > 0) return;
    try {
        FlushLocked(c);
    } catch (...) {
        // Flush reports failures; here an error is already leaving the scope.
    }
}

void RegistryBatch::Flush()
{
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    FlushLocked(c);
}

void CreateRegistryKey(RootKey root, const std::string& keyPath)
{
    if (root == RootKey::Invalid) throw CreateKeyError(keyPath);
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Refresh(c);
    if (c.readOnly || c.unreadable) throw CreateKeyError(keyPath);
    if (c.store.AddKey(FullKeyPath(root, keyPath))) Changed(c, CreateKeyError(keyPath));
}

bool WriteRegistryValue(RootKey root, const std::string& keyPath, const std::string& name,
                        const std::string& value)
{
    if (root == RootKey::Invalid) return false;
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Refresh(c);
    const std::string full = FullKeyPath(root, keyPath);
    if (c.readOnly || c.unreadable || !c.store.FindKey(full)) return false;
    c.store.SetString(full, name, value);
    Changed(c, SetDataError(name));
    return true;
}

std::optional<std::string> ReadRegistryString(RootKey root, const std::string& keyPath, const std::string& name)
{
    if (root == RootKey::Invalid) return std::nullopt;
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Refresh(c);
    const RegistryStore::Value* value = c.store.FindValue(FullKeyPath(root, keyPath), name);
    if (!value) return std::nullopt;
    if (value->isString) return value->data;
    std::string text;
    if (DecodeHexString(value->raw, text)) return text;
    throw InvalidDataTypeError(name);
}

} // namespace tarvex::platform

namespace tarvex::platform {

namespace {
// A change of the store, written at once outside a batch; false when it
// changed nothing or the store may not be changed.
template <typename Change>
bool ChangeStore(RootKey root, const std::string& keyPath, Change change)
{
    if (root == RootKey::Invalid) return false;
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Refresh(c);
    if (c.readOnly || c.unreadable || !change(c.store, FullKeyPath(root, keyPath))) return false;
    try {
        Changed(c, SetDataError(keyPath));
    } catch (const ERegistryError&) {
        return false;
    }
    return true;
}
} // namespace

bool WriteRegistryNumber(RootKey root, const std::string& keyPath, const std::string& name, std::uint32_t value)
{
    if (root == RootKey::Invalid) return false;
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Refresh(c);
    const std::string full = FullKeyPath(root, keyPath);
    if (c.readOnly || c.unreadable || !c.store.FindKey(full)) return false;
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(value));
    c.store.SetRaw(full, name, digits);
    Changed(c, SetDataError(name));
    return true;
}

bool RegistryKeyExists(RootKey root, const std::string& keyPath)
{
    if (root == RootKey::Invalid) return false;
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Refresh(c);
    return c.store.FindKey(FullKeyPath(root, keyPath)) != nullptr;
}

std::vector<std::string> RegistrySubkeys(RootKey root, const std::string& keyPath)
{
    if (root == RootKey::Invalid) return {};
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Refresh(c);
    return c.store.Subkeys(FullKeyPath(root, keyPath));
}

std::vector<RegistryValueText> RegistryValues(RootKey root, const std::string& keyPath)
{
    if (root == RootKey::Invalid) return {};
    CachedStore& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Refresh(c);
    std::vector<RegistryValueText> values;
    const RegistryStore::Key* key = c.store.FindKey(FullKeyPath(root, keyPath));
    if (!key) return values;
    for (const RegistryStore::Value& value : key->values) {
        std::string text;
        if (value.isString)
            values.push_back({value.name, value.data});
        else if (DecodeHexString(value.raw, text))
            values.push_back({value.name, text});
        else
            values.push_back({value.name, std::nullopt});
    }
    return values;
}

bool DeleteRegistryValue(RootKey root, const std::string& keyPath, const std::string& name)
{
    return ChangeStore(root, keyPath,
                       [&](RegistryStore& store, const std::string& full) { return store.RemoveValue(full, name); });
}

bool DeleteRegistryKey(RootKey root, const std::string& keyPath)
{
    // The root itself is no key to delete.
    if (RelativeKeyPath(keyPath).find_first_not_of('\\') == std::string::npos) return false;
    return ChangeStore(root, keyPath, [](RegistryStore& store, const std::string& full) { return store.RemoveKey(full); });
}

} // namespace tarvex::platform
