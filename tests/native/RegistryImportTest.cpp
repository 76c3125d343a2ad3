// Halves of tests/scripts/registry_import.sh, which imports a store written
// here into a Wine prefix with regedit and exports it back. They need the
// script's folders, so the unit run leaves them out; run without those
// folders they fail rather than pass by not running.
#include "formats/RegistryStore.h"
#include "engine/RegistryWriter.h"
#include "platform/MachineRoot.h"
#include "platform/posix/PosixFile.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tarvex;

namespace {

struct Written {
    const char* root;
    const char* path;
    const char* value;
};

// Every character class regedit escapes or might trip over.
constexpr Written kValues[] = {
    {"HKEY_CURRENT_USER", "\\Software\\TarvexImport\\Tool\\InstallDir", "C:\\Program Files\\Tool\\"},
    {"HKEY_CURRENT_USER", "\\Software\\TarvexImport\\Tool\\.", "default value"},
    {"HKEY_CURRENT_USER", "\\Software\\TarvexImport\\Tool\\Quoted", "say \"hi\" = [x] ; @"},
    {"HKEY_CURRENT_USER", "\\Software\\TarvexImport\\Tool\\Empty", ""},
    {"HKEY_CURRENT_USER", "\\Software\\TarvexImport\\Tool\\Accented", "caf\xE9 \xA9"},
    {"HKEY_CURRENT_USER", "\\Software\\TarvexImport\\Tool\\Lines", "one\r\ntwo"},
    {"HKEY_CURRENT_USER", "\\Software\\TarvexImport\\Mixed Case\\Name \"quoted\"", "q"},
    {"HKEY_LOCAL_MACHINE", "\\SOFTWARE\\TarvexImport\\Vendor\\Tool:Version", "1.0"},
};

const char* Env(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

} // namespace

TEST(RegistryImport, WriteStore)
{
    const char* root = Env("TARVEX_IMPORT_ROOT");
    ASSERT_TRUE(root) << "run by registry_import.sh";
    platform::SetMachineRoot(root);
    for (const Written& w : kValues) WriteRegistryString(w.root, w.path, w.value);
    platform::SetMachineRoot("");
}

TEST(RegistryImport, ReadBack)
{
    const char* root = Env("TARVEX_IMPORT_ROOT");
    const char* exported = Env("TARVEX_IMPORT_EXPORTED");
    ASSERT_TRUE(root && exported) << "run by registry_import.sh";
    std::string ours, theirs;
    ASSERT_TRUE(platform::ReadHostFile(std::string(root) + "/registry.reg", ours));
    ASSERT_TRUE(platform::ReadHostFile(exported, theirs));
    const RegistryStore written = RegistryStore::Parse(ours, "registry.reg");
    const RegistryStore imported = RegistryStore::Parse(theirs, exported);
    std::size_t compared = 0;
    for (const auto& key : written.Keys()) {
        if (key.path.find("TarvexImport") == std::string::npos) continue;
        ASSERT_TRUE(imported.FindKey(key.path)) << key.path;
        // regedit creates keys in the case the file gives them.
        EXPECT_EQ(key.path, imported.FindKey(key.path)->path);
        for (const auto& value : key.values) {
            const auto* back = imported.FindValue(key.path, value.name);
            ASSERT_TRUE(back) << key.path << " " << value.name;
            EXPECT_TRUE(back->isString) << value.name;
            EXPECT_EQ(value.data, back->data) << key.path << " " << value.name;
            ++compared;
        }
    }
    EXPECT_EQ(std::size(kValues), compared);
}
