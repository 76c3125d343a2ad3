// libFuzzer target: the registry store's REGEDIT4 reader. Text it accepts
// must come back unchanged through the store's own writer and reader, since
// each run reads the store that an earlier one saved; every key and value
// must be found through the index whatever the case asked in.
#include "base/Ascii.h"
#include "base/Exception.h"
#include "formats/RegistryStore.h"

#include <cstdlib>
#include <string>

namespace {

using tarvex::RegistryStore;

void Require(bool condition)
{
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryStore store;
    try {
        store = RegistryStore::Parse(text, "registry.reg");
    } catch (const tarvex::Exception& e) {
        Require(e.Message().rfind("Malformed registry file registry.reg, line ", 0) == 0);
        return 0;
    }

    std::string written = store.Text();
    RegistryStore again = RegistryStore::Parse(written, "registry.reg");
    Require(again.Text() == written);
    Require(again.Keys().size() == store.Keys().size());

    for (const RegistryStore::Key& key : store.Keys()) {
        Require(store.FindKey(key.path) == &key);
        std::string upper = key.path;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        Require(store.FindKey(upper) == &key);
        for (const RegistryStore::Value& value : key.values) {
            Require(store.FindValue(tarvex::AsciiLowerCopy(key.path), tarvex::AsciiLowerCopy(value.name)) == &value);
            const RegistryStore::Value* found = again.FindValue(key.path, value.name);
            Require(found != nullptr && found->isString == value.isString);
            Require(value.isString ? found->data == value.data : found->raw == value.raw);
            std::string decoded;
            if (!value.isString) tarvex::DecodeHexString(value.raw, decoded);
        }
    }

    // Changes the writer makes: a value under a new key below the last one,
    // with a name and data that need quoting.
    if (!store.Keys().empty()) {
        std::string path = store.Keys().back().path + "\\New\\\"Sub\"";
        std::string name(text.substr(0, 16));
        std::string value(text.substr(text.size() / 2, 16));
        store.SetString(path, name, value);
        const RegistryStore::Value* set = store.FindValue(path, name);
        Require(set != nullptr && set->isString && set->data == value);
        RegistryStore reread = RegistryStore::Parse(store.Text(), "registry.reg");
        const RegistryStore::Value* back = reread.FindValue(path, name);
        Require(back != nullptr && back->data == value);
    }
    return 0;
}
