// Writing registry values, read back through the registry wrapper: the real
// registry under Windows, the machine root's store natively.
#include "common/MachineSandbox.h"

#include "engine/RegistryWriter.h"

using namespace tarvex;
using platform::ReadRegistryString;
using platform::RootKey;

namespace {

class RegistryWriter : public test::MachineSandbox {};

std::string UnknownRootMessage(const std::string& rootName)
{
    try {
        WriteRegistryString(rootName, "\\Software\\TarvexNeverWritten\\Value", "x");
    } catch (const ERegistryError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(RootKeyNames, TheThreeRootsInAnyLetterCase)
{
    EXPECT_EQ(RootKey::LocalMachine, RootKeyFromName("HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(RootKey::CurrentUser, RootKeyFromName("hkey_current_user"));
    EXPECT_EQ(RootKey::CurrentUser, RootKeyFromName("Hkey_Current_User"));
    EXPECT_EQ(RootKey::Users, RootKeyFromName("HKEY_users"));
}

TEST(RootKeyNames, EverythingElseIsMinusOne)
{
    EXPECT_EQ(RootKey::Invalid, RootKeyFromName("HKEY_CLASSES_ROOT"));
    EXPECT_EQ(RootKey::Invalid, RootKeyFromName(" HKEY_CURRENT_USER"));
    EXPECT_EQ(RootKey::Invalid, RootKeyFromName("HKEY_CURRENT_USER "));
    EXPECT_EQ(RootKey::Invalid, RootKeyFromName("HKCU"));
    EXPECT_EQ(RootKey::Invalid, RootKeyFromName(""));
    EXPECT_EQ(0xFFFFFFFFu, static_cast<std::uint32_t>(RootKeyFromName("HKEY_CURRENT_CONFIG")));
}

TEST_F(RegistryWriter, UnknownRootsAreRejectedWithTheNameAsPassed)
{
    EXPECT_EQ("Unknown HKEY: HKEY_CLASSES_ROOT", UnknownRootMessage("HKEY_CLASSES_ROOT"));
    EXPECT_EQ("Unknown HKEY:  HKEY_CURRENT_USER", UnknownRootMessage(" HKEY_CURRENT_USER"));
    EXPECT_EQ("Unknown HKEY: HKEY_CURRENT_USER\t", UnknownRootMessage("HKEY_CURRENT_USER\t"));
    EXPECT_EQ("Unknown HKEY: ", UnknownRootMessage(""));
    EXPECT_FALSE(ReadRegistryString(RootKey::CurrentUser, "\\Software\\TarvexNeverWritten", "Value"));
}

TEST_F(RegistryWriter, PathSplitsAtItsLastBackslash)
{
    const std::string key = TestKey(RootKey::CurrentUser);
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\Vendor\\Tool\\InstallDir", "C:\\Program Files\\Tool");
    EXPECT_EQ("C:\\Program Files\\Tool", ReadRegistryString(RootKey::CurrentUser, key + "\\Vendor\\Tool", "InstallDir"));
    // The key path may be given without its anchoring backslash.
    EXPECT_EQ("C:\\Program Files\\Tool",
              ReadRegistryString(RootKey::CurrentUser, key.substr(1) + "\\vendor\\TOOL", "installdir"));
    EXPECT_FALSE(ReadRegistryString(RootKey::CurrentUser, key + "\\Vendor", "Tool"));
}

TEST_F(RegistryWriter, PathSplitsAtAColonWhenItComesLast)
{
    const std::string key = TestKey(RootKey::CurrentUser);
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\Tool:Version", "1.0");
    EXPECT_EQ("1.0", ReadRegistryString(RootKey::CurrentUser, key + "\\Tool", "Version"));
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\A:B\\Name", "v");
    EXPECT_EQ("v", ReadRegistryString(RootKey::CurrentUser, key + "\\A:B", "Name"));
}

TEST_F(RegistryWriter, DotNamesTheDefaultValue)
{
    const std::string key = TestKey(RootKey::LocalMachine);
    WriteRegistryString("HKEY_LOCAL_MACHINE", key + "\\Tool\\.", "default text");
    EXPECT_EQ("default text", ReadRegistryString(RootKey::LocalMachine, key + "\\Tool", ""));
    EXPECT_FALSE(ReadRegistryString(RootKey::LocalMachine, key + "\\Tool", "."));
}

TEST_F(RegistryWriter, ATrailingBackslashIsDroppedBeforeSplitting)
{
    const std::string key = TestKey(RootKey::CurrentUser);
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\Tool\\Path\\", "p");
    EXPECT_EQ("p", ReadRegistryString(RootKey::CurrentUser, key + "\\Tool", "Path"));
    EXPECT_FALSE(ReadRegistryString(RootKey::CurrentUser, key + "\\Tool\\Path", ""));
}

TEST_F(RegistryWriter, ValueNamesAreCutTo255Characters)
{
    const std::string key = TestKey(RootKey::CurrentUser);
    const std::string name(300, 'n');
    WriteRegistryString("HKEY_CURRENT_USER", key + "\\" + name, "long");
    EXPECT_EQ("long", ReadRegistryString(RootKey::CurrentUser, key, name.substr(0, 255)));
}

TEST_F(RegistryWriter, ValuesAreStoredAsTheyStandAndRewritten)
{
    // HKEY_USERS only takes keys below a user's own; .DEFAULT is always there.
    const std::string path = TestKey(RootKey::Users, "\\.DEFAULT");
    const std::string root = "HKEY_USERS";
    const std::string awkward = "C:\\dir\\ \"quoted\" ; [not a key] = @ \xE9t\xE9";
    WriteRegistryString(root, path + "\\Awkward", awkward);
    WriteRegistryString(root, path + "\\Empty", "");
    WriteRegistryString(root, path + "\\Twice", "first");
    WriteRegistryString(root, path + "\\twice", "second");
    EXPECT_EQ(awkward, ReadRegistryString(RootKey::Users, path, "Awkward"));
    EXPECT_EQ("", ReadRegistryString(RootKey::Users, path, "Empty"));
    EXPECT_EQ("second", ReadRegistryString(RootKey::Users, path, "Twice"));
}
