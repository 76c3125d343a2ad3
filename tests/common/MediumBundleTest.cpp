// One-file installers: a medium carried after setup.exe's image comes back
// byte for byte with its dates, and a damaged or hostile one is refused by
// the tool and by setup.exe's extraction before anything is written.
#include "MachineSandbox.h"
#include "TestSupport.h"

#include "authoring/MediumBundle.h"
#include "base/Text.h"
#include "formats/MediumPayload.h"
#include "medium/EmbeddedMedium.h"
#include "platform/StreamFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace tarvex {
namespace {

namespace fs = std::filesystem;

void Put32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A PE32 image of headers and one section of 512 bytes; a certificate
// table of certSize bytes follows what is appended when certSize != 0.
std::string Program()
{
    std::string image(1024, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, 0x80);
    image.replace(0x80, 4, std::string("PE\0\0", 4));
    image[0x80 + 4] = 0x4C;
    image[0x80 + 5] = 0x01;
    image[0x80 + 6] = 1;     // one section
    image[0x80 + 20] = 0xE0; // optional header of 224 bytes
    const std::size_t opt = 0x80 + 24;
    image[opt] = 0x0B;
    image[opt + 1] = 0x01;
    Put32(image, opt + 60, 512);  // SizeOfHeaders
    Put32(image, opt + 92, 16);   // NumberOfRvaAndSizes
    const std::size_t section = opt + 224;
    image.replace(section, 5, ".text");
    Put32(image, section + 16, 512); // SizeOfRawData
    Put32(image, section + 20, 512); // PointerToRawData
    for (std::size_t i = 512; i < 1024; ++i) image[i] = static_cast<char>(i * 7);
    return image;
}

constexpr std::size_t kSecurityEntry = 0x80 + 24 + 96 + 32;

// Appends a certificate table of size bytes as a signer does: its
// directory entry set, the table on an eight-byte boundary.
void Sign(std::string& file, std::size_t size = 1200)
{
    file.append((8 - file.size() % 8) % 8, '\0');
    Put32(file, kSecurityEntry, static_cast<std::uint32_t>(file.size()));
    Put32(file, kSecurityEntry + 4, static_cast<std::uint32_t>(size));
    file.append(size, '\x5A');
}

struct Entry {
    std::string path, data;
    std::uint64_t size = UINT64_MAX; // the size the header claims; MAX: the data's
};

// A bundle built by hand, so that it can say what the writer never would.
std::string Bundle(const std::vector<Entry>& entries, std::uint64_t claimedSize = UINT64_MAX)
{
    std::string file = Program(), payload;
    for (const Entry& e : entries) {
        PayloadEntry header{e.path, e.size == UINT64_MAX ? e.data.size() : e.size, 0};
        payload += EncodeEntryHeader(header) + e.data;
    }
    PayloadTrailer trailer;
    trailer.entries = static_cast<std::uint32_t>(entries.size());
    trailer.offset = file.size();
    trailer.size = claimedSize == UINT64_MAX ? payload.size() : claimedSize;
    Crc32 crc;
    crc.Update(reinterpret_cast<const unsigned char*>(payload.data()), payload.size());
    trailer.crc = crc.Value();
    return file + payload + EncodeTrailer(trailer);
}

// The file in memory; no read may ask for more than the payload buffer.
class MemoryFile : public RandomAccess {
public:
    explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() override { return bytes_.size(); }
    void ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) override
    {
        EXPECT_LE(size, kPayloadBuffer);
        ASSERT_LE(offset + size, bytes_.size());
        std::copy_n(bytes_.data() + offset, size, buffer);
        largest = std::max(largest, size);
    }
    std::size_t largest = 0;

private:
    std::string bytes_;
};

std::string Refusal(const std::string& bytes)
{
    try {
        MemoryFile file(bytes);
        PayloadPlace place = LocatePayload(file);
        if (!place.present) return "(no medium)";
        ReadPayload(file, place);
        return "(accepted)";
    } catch (const EPayloadError& e) {
        return e.Message();
    }
}

TEST(MediumPayload, TheChecksumIsZipsCrc32InAnyPieces)
{
    // The check value of CRC-32 (ISO-HDLC), so that other tools can verify a payload.
    const std::string text = "123456789";
    for (std::size_t split : {0u, 1u, 3u, 4u, 5u, 9u}) {
        Crc32 crc;
        crc.Update(reinterpret_cast<const unsigned char*>(text.data()), split);
        crc.Update(reinterpret_cast<const unsigned char*>(text.data()) + split, text.size() - split);
        EXPECT_EQ(crc.Value(), 0xCBF43926u) << split;
    }
}

TEST(MediumPayload, TheTableChecksumAgreesWithTheBitwiseOneOnAnyLengthAndPieces)
{
    // The fast CRC takes eight bytes a step and the rest one by one: every
    // length around a step, pieces that break steps, bytes with high bits.
    auto bitwise = [](const unsigned char* p, std::size_t n) {
        std::uint32_t c = 0xFFFFFFFFu;
        while (n--) {
            c ^= *p++;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        return ~c;
    };
    std::uint32_t seed = 12345;
    std::vector<unsigned char> data(70001);
    for (unsigned char& b : data) b = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 23);
    for (std::size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 17u, 63u, 4099u, 70001u}) {
        for (std::size_t start : {0u, 1u, 3u}) {
            if (start + length > data.size()) continue;
            const unsigned char* p = data.data() + start;
            const std::uint32_t expected = bitwise(p, length);
            Crc32 whole;
            whole.Update(p, length);
            EXPECT_EQ(whole.Value(), expected) << length << " from " << start;
            Crc32 pieces;
            for (std::size_t done = 0, piece = 1; done < length; done += piece, piece = piece * 3 % 23 + 1) {
                piece = std::min(piece, length - done);
                pieces.Update(p + done, piece);
            }
            EXPECT_EQ(pieces.Value(), expected) << length << " in pieces from " << start;
        }
    }
}

TEST(MediumPayload, EveryDamageIsRefusedWithItsReason)
{
    const std::string good = Bundle({{"Setup.INI", "[GENERAL]\r\n"}, {"files\\a.bin", std::string(70000, 'a')}});
    EXPECT_EQ(Refusal(good), "(accepted)");
    EXPECT_EQ(Refusal(Program()), "(no medium)");

    std::string cut = good.substr(0, good.size() - 1000);
    EXPECT_EQ(Refusal(cut), "the file is cut short");
    EXPECT_EQ(Refusal(good.substr(0, 1024 + 20)), "the file is cut short");
    EXPECT_EQ(Refusal(good.substr(0, 700)), "the program is cut short");

    std::string flipped = good;
    flipped[1024 + 40000] ^= 0x10;
    EXPECT_EQ(Refusal(flipped), "the payload's checksum does not match");

    std::string trailer = good;
    trailer[trailer.size() - 10] ^= 1;
    EXPECT_EQ(Refusal(trailer), "the trailer is damaged");

    // A trailer whose own checksum is right but which points elsewhere.
    EXPECT_EQ(Refusal(Bundle({{"a", "x"}}, 4ull << 30)), "the trailer points outside the file");
    std::string past = good;
    past.insert(1024, 16, '\0'); // the payload no longer ends where the trailer says
    EXPECT_EQ(Refusal(past), "the trailer points outside the file");

    // A file claiming 4 GiB inside a small payload.
    EXPECT_EQ(Refusal(Bundle({{"big.bin", "abc", 4ull << 30}})), "the path \"big.bin\" runs past the payload");

    std::string count = Bundle({{"a", "1"}, {"b", "2"}});
    MemoryFile file(count);
    PayloadPlace place = LocatePayload(file);
    for (std::uint32_t claimed : {1u, 3u}) {
        place.trailer.entries = claimed;
        try {
            ReadPayload(file, place);
            ADD_FAILURE() << claimed << " accepted";
        } catch (const EPayloadError& e) {
            EXPECT_STREQ(e.what(), "the payload holds another number of files than its trailer says");
        }
    }
}

TEST(MediumPayload, PathsThatLeaveTheFolderAreRefused)
{
    for (const char* path : {"..\\x", "a\\..\\..\\x", "C:\\x", "C:x", "\\x", "\\\\server\\x", "a\\\\b", "a\\", ".",
                             "CON", "sub\\nul.txt", "COM1", "lpt9.log", "a/b", "x.", "x ", "a*b", ""}) {
        SCOPED_TRACE(path);
        EXPECT_NE(EntryPathProblem(path), "");
        EXPECT_NE(Refusal(Bundle({{path, "evil"}})), "(accepted)");
    }
    EXPECT_EQ(Refusal(Bundle({{"..\\x", "evil"}})), "the path \"..\\x\" leads outside the medium");
    EXPECT_EQ(Refusal(Bundle({{"C:\\x", "evil"}})), "the path \"C:\\x\" names a drive");
    EXPECT_EQ(Refusal(Bundle({{"CON", "evil"}})), "the path \"CON\" names a device");
    for (const char* path : {"Setup.INI", "files\\a b\\c.d_", "CONSOLE.txt", "COM10", "..a", "a..b"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(EntryPathProblem(path), "");
    }
}

TEST(MediumPayload, FoundBeforeACertificateTableAndReadInBoundedPieces)
{
    std::string signedBundle = Bundle({{"big.bin", std::string(3 * kPayloadBuffer + 17, 'b')}, {"Setup.INI", "x"}});
    Sign(signedBundle);
    MemoryFile file(signedBundle);
    PayloadPlace place = LocatePayload(file);
    ASSERT_TRUE(place.present);
    EXPECT_EQ(ReadPayload(file, place), 2u);
    EXPECT_EQ(file.largest, kPayloadBuffer);

    // A signed plain program carries nothing; a table past the end is a cut file.
    std::string signedProgram = Program();
    Sign(signedProgram);
    EXPECT_EQ(Refusal(signedProgram), "(no medium)");
    EXPECT_EQ(Refusal(signedBundle.substr(0, signedBundle.size() - 100)),
              "the certificate table lies outside the file");
    std::string flipped = signedBundle;
    flipped[1024 + 1000] ^= 4;
    EXPECT_EQ(Refusal(flipped), "the payload's checksum does not match");
}

// A medium folder of a few files with whole-second dates, and its bundle.
struct BundleFixture : test::MachineSandbox {
    void SetUp() override
    {
        test::MachineSandbox::SetUp();
        medium = scratch_.Path() / "medium";
        fs::create_directories(medium / "files" / "deep");
        fs::create_directories(medium / "empty");
        std::mt19937 random(15);
        std::string noise(kPayloadBuffer + 4321, '\0');
        for (char& c : noise) c = static_cast<char>(random());
        Put("Setup.INI", "[GENERAL]\r\nTitle=Demo\r\n", 0);
        Put("License.txt", "licence", 1);
        Put("files\\noise.bi_", noise, 2);
        Put("files\\deep\\empty.txt", "", 3);
        Put("setup.exe", Program(), 4);
        platform::SetMediumFolder(scratch_.Path().string());
        before = TempContents();
    }
    void Put(const std::string& name, const std::string& bytes, int n)
    {
        fs::path path = medium;
        ForEachPathPart(name, [&](std::string_view part) { path /= std::string(part); });
        std::ofstream(path, std::ios::binary) << bytes;
        auto when = fs::file_time_type::clock::now() - std::chrono::hours(24 * (100 + n));
        fs::last_write_time(path, std::chrono::floor<std::chrono::seconds>(when));
    }
    std::string Make(const std::string& name)
    {
        std::string out = (scratch_.Path() / name).string();
        WriteBundle(medium.string(), (medium / "setup.exe").string(), out);
        return out;
    }
    // setup.exe's folders in the machine's temporary folder that were not
    // there before the test (a real machine may hold others' leftovers).
    std::vector<std::string> TempContents()
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(test::HostFile(platform::TempPath()))) {
            std::string name = e.path().filename().string();
            if (name.rfind("TarvexSetup-", 0) == 0 && std::find(before.begin(), before.end(), name) == before.end())
                names.push_back(name);
        }
        return names;
    }
    std::vector<std::string> before;
    fs::path medium;
};

void ExpectSameTree(const fs::path& a, const fs::path& b, bool withSetup)
{
    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(a)) {
        if (!e.is_regular_file()) continue;
        fs::path rel = fs::relative(e.path(), a);
        if (!withSetup && rel == "setup.exe") continue;
        SCOPED_TRACE(rel.string());
        ++files;
        ASSERT_TRUE(fs::is_regular_file(b / rel));
        EXPECT_EQ(test::ReadBytes(e.path()), test::ReadBytes(b / rel));
        if (rel != "setup.exe") {
            EXPECT_EQ(fs::last_write_time(e.path()), fs::last_write_time(b / rel));
        }
    }
    EXPECT_EQ(files, static_cast<std::size_t>(std::count_if(fs::recursive_directory_iterator(b), {},
                                                            [&](const auto& e) {
                                                                return e.is_regular_file() &&
                                                                       (withSetup || e.path().filename() != "setup.exe");
                                                            })));
}

TEST_F(BundleFixture, UnbundleGivesBackTheMediumByteForByteWithItsDates)
{
    const std::string bundle = Make("Setup-one.exe");
    std::vector<PayloadEntry> listed = ListBundle(bundle);
    ASSERT_EQ(listed.size(), 4u); // setup.exe travels as the image, not in the payload
    EXPECT_EQ(listed[0].path, "License.txt");
    EXPECT_EQ(listed[2].path, "files\\deep\\empty.txt");

    // The tool works on host files, with no machine.
    platform::SetMachineRoot("");
    const fs::path out = scratch_.Path() / "out";
    Unbundle(bundle, out.string());
    ExpectSameTree(medium, out, true);

    // Bundled again from what came out: the same bytes.
    EXPECT_EQ(test::ReadBytes(Make("Setup-two.exe")), test::ReadBytes(bundle));
}

TEST_F(BundleFixture, ADamagedBundleWritesNothing)
{
    const std::string bundle = Make("Setup-one.exe");
    std::string bytes = test::ReadBytes(bundle);
    bytes[bytes.size() / 2] ^= 0x40;
    std::string damaged = scratch_.Write("damaged.exe", bytes);
    std::string cut = scratch_.Write("cut.exe", bytes.substr(0, bytes.size() * 3 / 4));
    std::string evil = scratch_.Write("evil.exe", Bundle({{"Setup.INI", "x"}, {"..\\evil.txt", "x"}}));
    std::string twice = scratch_.Write("twice.exe", Bundle({{"Setup.INI", "x"}, {"SETUP.ini", "y"}}));

    const fs::path out = scratch_.Path() / "out";
    for (const auto& [file, why] : {std::pair{damaged, "the payload's checksum does not match"},
                                    std::pair{cut, "the file is cut short"},
                                    std::pair{evil, "the path \"..\\evil.txt\" leads outside the medium"},
                                    std::pair{twice, "the path \"SETUP.ini\" comes twice"}}) {
        SCOPED_TRACE(file);
        try {
            Unbundle(file, out.string());
            ADD_FAILURE() << "accepted";
        } catch (const EPayloadError& e) {
            EXPECT_EQ(e.Message(), file + ": the medium inside is damaged: " + why);
        }
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(scratch_.Path() / "evil.txt"));
        // setup.exe's extraction refuses it too, leaving nothing: a name
        // that comes twice when its new file cannot be made.
        auto extract = [&] {
            TEmbeddedMedium embedded(file);
            embedded.Extract();
        };
        if (file == twice)
            EXPECT_THROW(extract(), Exception);
        else
            EXPECT_THROW(extract(), EMediumDamaged);
        EXPECT_TRUE(TempContents().empty());
    }
    try {
        ListBundle(medium.string() + "/setup.exe");
        ADD_FAILURE() << "accepted";
    } catch (const EPayloadError& e) {
        EXPECT_EQ(e.Message(), medium.string() + "/setup.exe carries no medium");
    }
}

TEST_F(BundleFixture, SetupLaysTheMediumOutInAFolderOfItsOwnAndRemovesIt)
{
    const std::string bundle = Make("Setup-one.exe");
    std::string directory;
    {
        TEmbeddedMedium embedded(bundle);
        ASSERT_TRUE(embedded.Present());
        embedded.Extract();
        directory = embedded.Directory();
        ASSERT_EQ(directory.back(), '\\');
        EXPECT_EQ(directory.rfind(platform::TempPath() + "TarvexSetup-", 0), 0u);
        fs::path host = test::HostFile(directory.substr(0, directory.size() - 1));
        ExpectSameTree(medium, host, false);

        // A second one at the same time takes a folder of its own.
        TEmbeddedMedium other(bundle);
        other.Extract();
        EXPECT_NE(other.Directory(), directory);
        EXPECT_EQ(TempContents().size(), 2u);
    }
    EXPECT_TRUE(TempContents().empty());

    // A plain program: nothing to do, nothing made.
    TEmbeddedMedium plain(medium.string() + "/setup.exe");
    EXPECT_FALSE(plain.Present());
}

// An output that names what the bundle is made of, or a folder, is refused
// and left as it was; an existing file is replaced only by a whole bundle.
TEST_F(BundleFixture, TheOutputNeverReplacesItsOwnInputsOrAFolder)
{
    const std::string setup = (medium / "setup.exe").string();
    for (const fs::path& input : {medium / "setup.exe", medium / "License.txt", medium / "files" / "noise.bi_"}) {
        SCOPED_TRACE(input.string());
        const std::string bytes = test::ReadBytes(input);
        EXPECT_THROW(WriteBundle(medium.string(), setup, input.string()), Exception);
        EXPECT_EQ(test::ReadBytes(input), bytes);
    }
    const fs::path folder = scratch_.Path() / "folder";
    fs::create_directories(folder);
    scratch_.Write("folder/keep.txt", "keep");
    EXPECT_THROW(WriteBundle(medium.string(), setup, folder.string()), Exception);
    EXPECT_EQ(test::ReadBytes(folder / "keep.txt"), "keep");

    const std::string old = scratch_.Write("old.exe", "the previous bundle");
    WriteBundle(medium.string(), setup, old);
    EXPECT_EQ(ListBundle(old).size(), 4u);
    for (const auto& e : fs::recursive_directory_iterator(scratch_.Path()))
        EXPECT_NE(e.path().extension(), ".part") << e.path();
}

TEST_F(BundleFixture, ASignedSetupIsBundledWithoutItsSignature)
{
    std::string signedSetup = Program();
    Sign(signedSetup);
    Put("setup.exe", signedSetup, 4);
    const std::string bundle = Make("Setup-one.exe");
    std::string bytes = test::ReadBytes(bundle);
    EXPECT_EQ(bytes.substr(0, kSecurityEntry), Program().substr(0, kSecurityEntry));
    EXPECT_EQ(bytes.substr(kSecurityEntry, 8), std::string(8, '\0'));
    EXPECT_EQ(ListBundle(bundle).size(), 4u);
    EXPECT_THROW(WriteBundle(medium.string(), bundle, (scratch_.Path() / "again.exe").string()), Exception);
    EXPECT_FALSE(fs::exists(scratch_.Path() / "again.exe"));
}

} // namespace
} // namespace tarvex
