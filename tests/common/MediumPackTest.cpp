// tarvex pack: the medium it lays out holds every file under a name the
// copy phase finds, expands back to the original, and passes the check.
#include "TestSupport.h"

#include "authoring/FileBytes.h"
#include "authoring/MediumCheck.h"
#include "authoring/MediumPack.h"
#include "platform/LzExpand.h"
#include "setup_description/SetupInformation.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvex {
namespace {

namespace fs = std::filesystem;

struct PackFixture {
    PackFixture()
    {
        fs::create_directories(scratch.Path() / "tree" / "lib" / "deep");
        fs::create_directories(scratch.Path() / "tree" / "empty");
        std::mt19937 random(3);
        std::string noise(3000, '\0');
        for (char& c : noise) c = static_cast<char>(random());
        Put("tool.exe", std::string(5000, 'x') + "tool");
        Put("ridsetup.exe", std::string(3000, 'r'));
        Put("notes.txt", std::string(2000, 'n'));
        Put("notes.txx", std::string(2000, 'm')); // compresses to the same medium name
        Put("noise.bin", noise);                   // does not compress: shipped plain
        Put("lib\\deep\\core.dll", std::string(9000, 'c'));
        options.sourceTree = scratch.File("tree");
        options.medium = scratch.File("medium");
        options.title = "Packed";
        options.setupProgram = scratch.Write("setup.exe", "setup");
        platform::SetMediumFolder(options.medium); // what is read back is read from the medium
    }
    void Put(const std::string& relative, const std::string& bytes)
    {
        originals[relative] = bytes;
        fs::path path = scratch.Path() / "tree" / fs::path(MediumPath("", relative));
        std::ofstream(path, std::ios::binary) << bytes;
    }
    test::ScratchDir scratch;
    test::InstallSandbox sandbox; // the machine the check's link estimate uses
    PackOptions options;
    std::map<std::string, std::string> originals;
};

TEST(MediumPack, EveryFileComesBackFromItsEntry)
{
    PackFixture f;
    PackResult result = PackMedium(f.options);
    EXPECT_EQ(result.mainProgram, "tool.exe");
    ASSERT_EQ(result.files.size(), f.originals.size());
    EXPECT_EQ(result.files.front().installName, "tool.exe") << "the main program is entry 1";
    EXPECT_EQ(result.files.at(1).installName, "ridsetup.exe") << "then the uninstaller, before a key-list cut";

    TSetupInformation info(MediumPath(f.options.medium, "Setup.INI"));
    ASSERT_EQ(info.FileItems.size(), f.originals.size());
    std::set<std::string> mediumNames;
    long double sizes = 0;
    for (const TProgramItem& item : info.FileItems) {
        // The uninstaller comes from the tree's top but goes to the Windows folder.
        std::string installed = item.DestDir == "%APPPATH" || item.DestDir == "%WINDOWSDIR"
                                    ? item.InstallName
                                    : item.DestDir.substr(9) + "\\" + item.InstallName;
        ASSERT_TRUE(f.originals.count(installed)) << installed;
        EXPECT_TRUE(mediumNames.insert(item.SourceName).second) << "medium name used twice: " << item.SourceName;
        platform::LzExpandFile(MediumPath(f.options.medium, item.SourceName), f.sandbox.Base() + "\\out");
        EXPECT_EQ(ReadFileBytes(test::HostFile(f.sandbox.Base() + "\\out").string()), f.originals[installed]) << installed;
        EXPECT_EQ(fs::last_write_time(MediumPath(f.options.medium, item.SourceName)),
                  fs::last_write_time(MediumPath(f.options.sourceTree, installed)))
            << "the installed file takes its date from the medium";
        sizes += static_cast<long double>(f.originals[installed].size());
    }
    EXPECT_TRUE(mediumNames.count("tool.ex_"));
    EXPECT_TRUE(mediumNames.count("noise.bin")) << "a file that does not shrink is shipped plain";
    EXPECT_TRUE(mediumNames.count("notes.tx_") && mediumNames.count("notes.txx"));
    EXPECT_GE(info.TotalSize, sizes);
    EXPECT_EQ(info.Directories,
              (std::vector<std::string>{"%APPPATH", "%APPPATH\\empty", "%APPPATH\\lib", "%APPPATH\\lib\\deep", "%SMICON"}));
    ASSERT_EQ(info.IconItems.size(), 1u);
    EXPECT_EQ(info.IconItems[0].Target, "%APPPATH\\tool.exe");
    EXPECT_EQ(info.Run, "%APPPATH\\tool.exe");
    EXPECT_TRUE(fs::exists(MediumPath(f.options.medium, "setup.exe")));

    MediumReport report = CheckMedium(f.options.medium);
    EXPECT_EQ(report.problems.size(), 0u) << report.problems.front().message;
}

TEST(MediumPack, RefusesWhatSetupIniCannotCarry)
{
    {
        PackFixture f;
        f.Put("a,b.txt", "x");
        EXPECT_THROW(PackMedium(f.options), Exception) << "a comma would split the FILES line";
    }
    {
        PackFixture f;
        f.Put("%APPPATH.txt", "x");
        EXPECT_THROW(PackMedium(f.options), Exception) << "a name read as a token";
    }
    {
        PackFixture f;
        fs::create_directories(f.options.medium);
        f.scratch.Write("medium/old.txt", "x");
        EXPECT_THROW(PackMedium(f.options), Exception) << "a medium folder in use";
    }
    {
        PackFixture f;
        f.options.mainProgram = "missing.exe";
        EXPECT_THROW(PackMedium(f.options), Exception);
    }
    {
        PackFixture f;
        f.options.title = "ERROR";
        EXPECT_THROW(PackMedium(f.options), Exception) << "ERROR reads as a missing title";
    }
}

TEST(MediumPack, WithoutAMainProgramThereIsNoShortcut)
{
    PackFixture f;
    f.Put("second.exe", "another program");
    fs::remove(f.scratch.Path() / "tree" / "ridsetup.exe");
    f.options.uninstaller = f.scratch.Write("remover.exe", "uninstaller");
    PackResult result = PackMedium(f.options);
    EXPECT_TRUE(result.mainProgram.empty()) << "two programs: none is chosen";
    TSetupInformation info(MediumPath(f.options.medium, "Setup.INI"));
    ASSERT_GE(info.FileItems.size(), 2u);
    EXPECT_EQ(info.FileItems[1].InstallName, "ridsetup.exe") << "entry 2, before a key-list cut";
    EXPECT_EQ(info.FileItems[1].DestDir, "%WINDOWSDIR") << "shared, where its bare name is found";
    EXPECT_TRUE(info.FileItems[1].AskIfOlder) << "a newer shared copy stays";
    EXPECT_TRUE(info.IconItems.empty());
    EXPECT_EQ(info.Run, "");
    EXPECT_EQ(CheckMedium(f.options.medium).Count(MediumProblem::Severity::Error), 0);
}

} // namespace
} // namespace tarvex
