// The REGEDIT4 text of the registry store.
#include "base/Exception.h"
#include "formats/RegistryStore.h"

#include <gtest/gtest.h>

using tarvex::QuoteRegistryString;
using tarvex::RegistryStore;

namespace {

std::string ParseError(const std::string& text)
{
    try {
        RegistryStore::Parse(text, "store.reg");
    } catch (const tarvex::Exception& e) {
        return e.what();
    }
    return "(parsed)";
}

} // namespace

TEST(RegistryStoreText, StringsAreEscapedAsRegeditEscapesThem)
{
    EXPECT_EQ("\"C:\\\\Program Files\\\\\"", QuoteRegistryString("C:\\Program Files\\"));
    EXPECT_EQ("\"say \\\"hi\\\"\"", QuoteRegistryString("say \"hi\""));
    EXPECT_EQ("\"a\\r\\nb\"", QuoteRegistryString("a\r\nb"));
    EXPECT_EQ("\"\xE9;[x]=@\"", QuoteRegistryString("\xE9;[x]=@"));
}

TEST(RegistryStoreText, WrittenTextParsesBackToTheSameValues)
{
    RegistryStore store;
    const std::string awkward = "C:\\dir\\\"q\"\r\n[HKEY_USERS]\n\"x\"=\"y\"\\";
    store.SetString("HKEY_CURRENT_USER\\Software\\A", "Awkward", awkward);
    store.SetString("HKEY_CURRENT_USER\\Software\\A", "", "default");
    store.SetString("HKEY_CURRENT_USER\\Software\\A", "name \"quoted\" \\", "n");
    const RegistryStore again = RegistryStore::Parse(store.Text(), "x");
    EXPECT_EQ(store.Text(), again.Text());
    ASSERT_TRUE(again.FindValue("HKEY_CURRENT_USER\\Software\\A", "Awkward"));
    EXPECT_EQ(awkward, again.FindValue("HKEY_CURRENT_USER\\Software\\A", "awkward")->data);
    EXPECT_EQ("default", again.FindValue("hkey_current_user\\software\\a", "")->data);
    EXPECT_EQ("n", again.FindValue("HKEY_CURRENT_USER\\Software\\A", "name \"quoted\" \\")->data);
    EXPECT_EQ(3u, again.Keys().size()); // HKEY_CURRENT_USER, ...\Software, ...\Software\A
}

TEST(RegistryStoreText, KeysAndValuesKeepTheCaseFirstWritten)
{
    RegistryStore store;
    EXPECT_TRUE(store.AddKey("HKEY_LOCAL_MACHINE\\Software\\Vendor"));
    EXPECT_FALSE(store.AddKey("hkey_local_machine\\SOFTWARE\\vendor\\"));
    store.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\VENDOR", "Name", "1");
    store.SetString("HKEY_LOCAL_MACHINE\\software\\vendor", "NAME", "2");
    EXPECT_EQ("REGEDIT4\r\n\r\n"
              "[HKEY_LOCAL_MACHINE]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\r\n\"Name\"=\"2\"\r\n\r\n",
              store.Text());
}

TEST(RegistryStoreText, OtherTypesAreKeptAsWritten)
{
    const RegistryStore store = RegistryStore::Parse(
        "REGEDIT4\r\n; a comment\r\n[HKEY_CURRENT_USER\\T]\r\n\"D\"=dword:0000002a\r\n"
        "\"H\"=hex:01,02,\\\r\n  03\r\n  @ = \"spaced\" \r\n",
        "x");
    const auto* dword = store.FindValue("HKEY_CURRENT_USER\\T", "D");
    ASSERT_TRUE(dword);
    EXPECT_FALSE(dword->isString);
    EXPECT_EQ("dword:0000002a", dword->raw);
    EXPECT_EQ("hex:01,02,03", store.FindValue("HKEY_CURRENT_USER\\T", "H")->raw);
    EXPECT_EQ("spaced", store.FindValue("HKEY_CURRENT_USER\\T", "")->data);
    std::string decoded;
    EXPECT_FALSE(tarvex::DecodeHexString("hex:41", decoded));
    EXPECT_TRUE(tarvex::DecodeHexString("hex(2):41,42,00,43", decoded));
    EXPECT_EQ("AB", decoded);
}

TEST(RegistryStoreText, MalformedTextIsReportedWithItsLine)
{
    EXPECT_EQ("Malformed registry file store.reg, line 1: the file is empty, not REGEDIT4", ParseError(""));
    EXPECT_EQ("Malformed registry file store.reg, line 1: the first line is not REGEDIT4",
              ParseError("Windows Registry Editor Version 5.00\r\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 2: a value outside any key", ParseError("REGEDIT4\n\"a\"=\"b\"\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 3: a key line without its closing bracket",
              ParseError("REGEDIT4\n\n[HKEY_USERS\\x\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 2: unknown root key in [HKEY_NOWHERE\\x]",
              ParseError("REGEDIT4\n[HKEY_NOWHERE\\x]\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 3: a quoted text without its closing quote",
              ParseError("REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=\"b\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 3: text after the closing quote",
              ParseError("REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=\"b\"c\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 3: expected '=' after the value name",
              ParseError("REGEDIT4\n[HKEY_USERS\\x]\n\"a\" \"b\"\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 3: a dword needs one to eight hex digits",
              ParseError("REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=dword:123456789\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 4: a hex byte list with a bad byte",
              ParseError("REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=hex:01,\\\nzz\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 2: key deletion is not kept in the store",
              ParseError("REGEDIT4\n[-HKEY_USERS\\x]\n"));
    EXPECT_EQ("Malformed registry file store.reg, line 3: value deletion is not kept in the store",
              ParseError("REGEDIT4\n[HKEY_USERS\\x]\n\"a\"=-\n"));
}
