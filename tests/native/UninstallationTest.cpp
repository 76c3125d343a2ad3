// The uninstaller's engine over the simulated machine: installations made
// by the install engine, then removed.
#include "TestSupport.h"

#include "engine/Installation.h"
#include "engine/Uninstallation.h"
#include "platform/ComApartment.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/posix/MachineRoot.h"
#include "platform/MainThread.h"
#include "testing/HeadlessUi.h"
#include "wizard/UninstallForm.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

using namespace tarvex;
using tarvex::platform::RootKey;
using tarvex::test::HostFile;
using tarvex::test::InstallSandbox;
using tarvex::test::ReadBytes;

namespace {

constexpr char kRun[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUninstallKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo";

// Scripted answers; records what was asked and removed.
struct Answers : TUninstallQuestions {
    bool removeShared = false;
    std::deque<TInUseAnswer> inUse;
    std::function<void()> onInUse;
    std::vector<std::string> sharedAsked, inUseAsked, removed;
    std::size_t lastDone = 0, lastTotal = 0;

    bool RemoveSharedFile(const std::string& path) override
    {
        sharedAsked.push_back(path);
        return removeShared;
    }
    TInUseAnswer FileInUse(const std::string& path) override
    {
        inUseAsked.push_back(path);
        if (onInUse) onInUse();
        if (inUse.empty()) return TInUseAnswer::iuIgnore;
        TInUseAnswer answer = inUse.front();
        inUse.pop_front();
        return answer;
    }
    void Progress(const std::string&, std::size_t done, std::size_t total) override
    {
        EXPECT_LE(done, total);
        if (done == 1) lastDone = 0; // another run
        EXPECT_GT(done, lastDone);
        lastDone = done;
        lastTotal = total;
    }
    void Removed(const std::string& line) override { removed.push_back(line); }
};

// Every file and folder below the machine's drive, and the registry's text.
struct MachineState {
    std::set<std::string> paths;
    std::string registry;
    bool operator==(const MachineState&) const = default;
};

class Uninstall : public ::testing::Test {
protected:
    platform::ComApartment com;
    InstallSandbox box;
    std::unique_ptr<TSetupInformation> info;
    std::unique_ptr<TInstallation> engine;

    std::string Product(const std::string& rest = "") const { return box.Base() + "\\Demo" + rest; }
    std::string Log() const { return Product("\\Install.log"); }
    std::string Group(const std::string& rest = "") const { return "C:\\WINDOWS\\Start Menu\\Programs\\Demo" + rest; }

    // The worked example, with more lists as given.
    void Install(const std::string& files = "", const std::string& directories = "", const std::string& registry = "")
    {
        std::string ini =
            "[GENERAL]\r\nTitle=Demo\r\nExecutable=demo.exe\r\nReadMe=r\r\nLicense=l\r\nDirectory=" + box.Base() +
            "\r\nNewDirectory=Demo\r\nStartMenu=%PROGRAMDIR\r\nNewMenu=Demo\r\nTotalSize=4096\r\nRoute=5\r\nRun=\r\n"
            "Run Description=\r\n[FILES]\r\n1=demo.exe,demo.exe,1,%APPPATH,N\r\n"
            "2=ridsetup.exe,ridsetup.exe,1,%WINDOWSDIR,Y\r\n" + files +
            "[ICONS]\r\n1=Demo,%SMICON,%APPPATH\\demo.exe,\r\n"
            "[DIRECTORIES]\r\n" + (directories.empty() ? "1=%APPPATH\r\n2=%SMICON\r\n" : directories) +
            "[REGISTRY]\r\n1=HKEY_CURRENT_USER,\\Software\\Demo\\Settings\\Mode,fast\r\n" + registry;
        box.WriteMedium("demo.exe", "program");
        box.WriteMedium("ridsetup.exe", "uninstaller");
        box.WriteMedium("shared.dll", "shared");
        box.WriteMedium("readme.txt", "readme");
        info = std::make_unique<TSetupInformation>(box.WriteMedium("Setup.INI", ini));
        engine = std::make_unique<TInstallation>(*info);
        SetUpChoices(*engine);
        engine->MediumDirectory = box.Medium();
        engine->OnStatus = [](const std::string&) {};
        engine->OnStep = [] {};
        engine->OnCopyFile = [](const std::string&) {};
        engine->Install();
    }

    TUninstallResult Remove(Answers& answers, const std::string& self = "")
    {
        TUninstallation remover(ReadUninstallLog(Log()), Log(), answers);
        remover.SelfPath = self;
        return remover.Run();
    }

    MachineState State() const
    {
        MachineState state;
        const std::filesystem::path drive = HostFile("C:\\");
        for (const auto& entry : std::filesystem::recursive_directory_iterator(drive))
            state.paths.insert(std::filesystem::relative(entry.path(), drive).string());
        state.registry = ReadBytes(platform::RegistryStorePath());
        return state;
    }

    static bool Key(RootKey root, const std::string& key) { return platform::RegistryKeyExists(root, key); }
};

TEST_F(Uninstall, TheWorkedExampleLeavesNothingButTheSharedUninstaller)
{
    // The machine's shared keys and folders as a first installation finds them.
    platform::MakeDirectory("C:\\WINDOWS\\temp");
    platform::CreateRegistryKey(RootKey::LocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths");
    platform::CreateRegistryKey(RootKey::LocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    platform::CreateRegistryKey(RootKey::CurrentUser, "\\Software");
    const MachineState before = State();
    Install();
    ASSERT_TRUE(platform::FileExists(Group("\\Demo.LNK")));
    EXPECT_EQ("ridsetup.exe /S \"" + Log() + "\"",
              platform::ReadRegistryString(RootKey::LocalMachine, kUninstallKey, "QuietUninstallString"));
    EXPECT_EQ(Product(), platform::ReadRegistryString(RootKey::LocalMachine, kUninstallKey, "InstallLocation"));
    EXPECT_EQ(Product("\\demo.exe"), platform::ReadRegistryString(RootKey::LocalMachine, kUninstallKey, "DisplayIcon"));
    EXPECT_NE(std::string::npos, ReadBytes(platform::RegistryStorePath()).find("\"EstimatedSize\"=dword:00000004"));

    Answers answers;
    TUninstallResult result = Remove(answers);
    EXPECT_TRUE(result.NothingStayed()) << UninstallSummary("Demo", result);
    EXPECT_EQ(answers.lastTotal, answers.lastDone);
    EXPECT_TRUE(answers.sharedAsked.empty());
    MachineState after = State();
    EXPECT_EQ(1u, after.paths.erase("WINDOWS/ridsetup.exe")) << "the shared uninstaller stays";
    EXPECT_EQ(before, after);
}

TEST_F(Uninstall, AUsersFileKeepsItsFolderAndIsReported)
{
    Install();
    platform::WriteWholeFile(Product("\\notes.txt"), "mine");
    Answers answers;
    TUninstallResult result = Remove(answers);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ(std::vector<std::string>{Product() + " (notes.txt)"}, result.NotEmpty);
    EXPECT_EQ("mine", ReadBytes(HostFile(Product("\\notes.txt"))));
    EXPECT_FALSE(platform::FileExists(Product("\\demo.exe")));
    EXPECT_FALSE(platform::FileExists(Log()));
    EXPECT_FALSE(platform::DirectoryExists(Group()));
    EXPECT_NE(std::string::npos, UninstallSummary("Demo", result)
                                     .find("Demo was successfully removed from your computer.\r\n\r\nFolders kept "
                                           "because they are not empty:\r\n" + Product() + " (notes.txt)"));
    // Three entries shown at most.
    for (const char* name : {"a", "b", "c", "d"}) platform::WriteWholeFile(Product("\\") + name, "");
    TUninstallLog log{"Demo", {}, {}, {Product()}};
    result = TUninstallation(log, Log(), answers).Run();
    EXPECT_EQ(std::vector<std::string>{Product() + " (a, b, c, ...)"}, result.NotEmpty);
}

TEST_F(Uninstall, ASharedFileIsKeptUnlessTheAnswerIsYes)
{
    platform::MakeDirectory("C:\\WINDOWS\\SYSTEM");
    Install("3=shared.dll,shared.dll,1,%WINDOWSDIR\\SYSTEM,Y\r\n");
    const std::string shared = "C:\\WINDOWS\\SYSTEM\\shared.dll";
    const std::string log = ReadBytes(HostFile(Log()));
    Answers keep;
    TUninstallResult result = Remove(keep);
    EXPECT_EQ(std::vector<std::string>{shared}, keep.sharedAsked);
    EXPECT_EQ(std::vector<std::string>{shared}, result.SharedFilesKept);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_TRUE(platform::FileExists(shared));

    platform::MakeDirectory(Product());
    platform::WriteWholeFile(Log(), log);
    Answers remove;
    remove.removeShared = true;
    result = Remove(remove);
    EXPECT_TRUE(result.NothingStayed());
    EXPECT_FALSE(platform::FileExists(shared));
}

TEST_F(Uninstall, ARunKeyLosesOnlyTheProductsValue)
{
    platform::CreateRegistryKey(RootKey::CurrentUser, kRun);
    platform::WriteRegistryValue(RootKey::CurrentUser, kRun, "Other", "\"C:\\Other\\other.exe\" /tray");
    platform::WriteRegistryValue(RootKey::CurrentUser, kRun, "Near", "C:\\Base\\Demolition\\x.exe");
    Install("", "", "2=HKEY_CURRENT_USER,Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Demo,\"" + box.Base() +
                        "\\Demo\\demo.exe\" /min\r\n");
    ASSERT_TRUE(platform::ReadRegistryString(RootKey::CurrentUser, kRun, "Demo"));
    Answers answers;
    TUninstallResult result = Remove(answers);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_FALSE(platform::ReadRegistryString(RootKey::CurrentUser, kRun, "Demo"));
    EXPECT_EQ("\"C:\\Other\\other.exe\" /tray", platform::ReadRegistryString(RootKey::CurrentUser, kRun, "Other"));
    EXPECT_EQ("C:\\Base\\Demolition\\x.exe", platform::ReadRegistryString(RootKey::CurrentUser, kRun, "Near"));
    EXPECT_EQ(std::vector<std::string>{"HKEY_CURRENT_USER" + std::string(kRun) + " (shared with other programs)"},
              result.KeysKept);
}

TEST_F(Uninstall, VendorKeysGoWithEmptyParentsUpToTheVendor)
{
    // The product's keys listed parent first, the deeper one after.
    Install("", "", "2=HKEY_CURRENT_USER,Software\\Vendor\\Product\\Version,1\r\n"
                    "3=HKEY_CURRENT_USER,Software\\Vendor\\Product\\Window\\Left,10\r\n");
    Answers answers;
    EXPECT_TRUE(Remove(answers).NothingStayed());
    EXPECT_FALSE(Key(RootKey::CurrentUser, "\\Software\\Vendor"));
    EXPECT_FALSE(Key(RootKey::CurrentUser, "\\Software\\Demo"));
    EXPECT_TRUE(Key(RootKey::CurrentUser, "\\Software"));

    // Another product of the vendor keeps the vendor's key; a subkey the
    // program made itself keeps its key.
    Install("", "", "2=HKEY_CURRENT_USER,Software\\Vendor\\Product\\Version,1\r\n");
    platform::CreateRegistryKey(RootKey::CurrentUser, "\\Software\\Vendor\\Other");
    platform::CreateRegistryKey(RootKey::CurrentUser, "\\Software\\Demo\\Settings\\Recent");
    platform::WriteRegistryValue(RootKey::CurrentUser, "\\Software\\Demo\\Settings", "Folder", Product("\\data"));
    TUninstallResult result = Remove(answers);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_FALSE(Key(RootKey::CurrentUser, "\\Software\\Vendor\\Product"));
    EXPECT_TRUE(Key(RootKey::CurrentUser, "\\Software\\Vendor\\Other"));
    EXPECT_TRUE(Key(RootKey::CurrentUser, "\\Software\\Demo\\Settings\\Recent"));
    EXPECT_EQ("fast", platform::ReadRegistryString(RootKey::CurrentUser, "\\Software\\Demo\\Settings", "Mode"));
    EXPECT_FALSE(platform::ReadRegistryString(RootKey::CurrentUser, "\\Software\\Demo\\Settings", "Folder"))
        << "a value naming the product's folder goes from a key that stays";
    EXPECT_EQ(std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Demo\\Settings (has subkeys)"}, result.KeysKept);
}

TEST_F(Uninstall, ARegistrationAnotherInstallationTookOverStays)
{
    Install();
    const std::string appKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\demo.exe";
    platform::WriteRegistryValue(RootKey::LocalMachine, appKey, "", "D:\\Elsewhere\\demo.exe");
    platform::WriteRegistryValue(RootKey::LocalMachine, kUninstallKey, "UninstallString",
                                 "ridsetup.exe \"D:\\Elsewhere\\Install.log\"");
    Answers answers;
    TUninstallResult result = Remove(answers);
    EXPECT_TRUE(Key(RootKey::LocalMachine, appKey));
    EXPECT_TRUE(Key(RootKey::LocalMachine, kUninstallKey));
    EXPECT_EQ(2u, result.KeysKept.size());
}

TEST_F(Uninstall, ASecondRunOfTheSameLogIsHarmless)
{
    Install();
    const std::string log = ReadBytes(HostFile(Log()));
    Answers answers;
    ASSERT_TRUE(Remove(answers).NothingStayed());
    // What another program made since, where the product was.
    platform::CreateRegistryKey(RootKey::CurrentUser, kRun);
    platform::WriteRegistryValue(RootKey::CurrentUser, kRun, "Other", "C:\\Other\\other.exe");
    platform::MakeDirectory(Group());
    platform::WriteWholeFile(Group("\\Other.LNK"), "link");
    platform::MakeDirectory(Product());
    platform::WriteWholeFile(Log(), log);
    Answers again;
    TUninstallResult result = Remove(again);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ((std::vector<std::string>{"Removed " + Log(), "Removed " + Product()}), again.removed);
    EXPECT_TRUE(platform::FileExists(Group("\\Other.LNK")));
    EXPECT_EQ("C:\\Other\\other.exe", platform::ReadRegistryString(RootKey::CurrentUser, kRun, "Other"));
    // Without its log there is nothing to run on.
    EXPECT_THROW(ReadUninstallLog(Log()), EUninstallError);
}

TEST_F(Uninstall, DamagedAndForeignLogsAreRefusedBeforeAnythingIsRemoved)
{
    Install();
    const std::string good = ReadBytes(HostFile(Log()));
    struct Case {
        std::string text;
        std::string message;
    };
    const std::string files = "[FILES]\r\n";
    const std::vector<Case> cases = {
        {"", "Not an uninstall log: " + Log()},
        {"[GENERAL]\r\nTitle=Demo\r\n", "Not an uninstall log: " + Log()},
        {"Demo\r\n" + good, "Not an uninstall log: " + Log()},
        {std::string("MZ\x90\0\3\0", 6), "Not an uninstall log: " + Log()},
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\n[FILES]\r\n[DIRECTORIES]\r\n[ICONS]\r\n",
         "Unknown section in uninstall log: [ICONS]"},
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\n[FILES]\r\n", "Section missing from uninstall log: [DIRECTORIES]"},
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\n[FILES]\r\n[FILES]\r\n[DIRECTORIES]\r\n",
         "Section repeated in uninstall log: [FILES]"},
        {"[APPLICATION]\r\nDemo\r\nMore\r\n[REGISTRY]\r\n[FILES]\r\n[DIRECTORIES]\r\n",
         "Uninstall log without exactly one title line: 2"},
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\nHKEY_CLASSES_ROOT,\\x\r\n[FILES]\r\n[DIRECTORIES]\r\n",
         "Registry line without a known root in uninstall log: HKEY_CLASSES_ROOT,\\x"},
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\n[FILES]\r\n" + Product("\\demo.exe") + "\r\ndemo.exe\r\n[DIRECTORIES]\r\n",
         "Relative path in uninstall log: demo.exe"},
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\n[FILES]\r\n[DIRECTORIES]\r\n..\\..\\Base\r\n",
         "Relative path in uninstall log: ..\\..\\Base"},
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\n[FILES]\r\n\\Base\\Demo\\demo.exe\r\n[DIRECTORIES]\r\n",
         "Relative path in uninstall log: \\Base\\Demo\\demo.exe"},
        // Inside the product folder by its text, in the Windows folder in fact.
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\n[FILES]\r\n" + Product("\\..\\..\\WINDOWS\\win.ini") +
             "\r\n[DIRECTORIES]\r\n",
         "Relative path in uninstall log: " + Product("\\..\\..\\WINDOWS\\win.ini")},
        {"[APPLICATION]\r\nDemo\r\n[REGISTRY]\r\n[FILES]\r\n[DIRECTORIES]\r\n" + Product("\\.") + "\r\n",
         "Relative path in uninstall log: " + Product("\\.")},
        // A log cut in the middle of its file list.
        {good.substr(0, good.find(files) + files.size() + 10), "Section missing from uninstall log: [DIRECTORIES]"},
    };
    const MachineState installed = State();
    for (const Case& c : cases) {
        platform::WriteWholeFile(Log(), c.text);
        try {
            ParseUninstallLog(c.text, Log());
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EUninstallError& e) {
            EXPECT_EQ(c.message, e.what());
        }
        // Through ridsetup.exe, silent and windowed: nothing touched.
        auto& ui = platform::HeadlessUi::Instance();
        ui.Reset();
        EXPECT_EQ(ueError, RunUninstaller({"/S", Log()}, ""));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(ueError, RunUninstaller({Log()}, ""));
        ASSERT_EQ(1u, ui.messages.size());
        EXPECT_EQ("Error", ui.messages[0].title);
        EXPECT_EQ(c.message, ui.messages[0].text);
        EXPECT_EQ(installed, State());
        EXPECT_TRUE(platform::FileExists(Product("\\demo.exe")));
    }
    // The good log passes, with or without its last line break.
    EXPECT_EQ("Demo", ParseUninstallLog(good, Log()).Title);
    EXPECT_EQ(ParseUninstallLog(good, Log()).Directories,
              ParseUninstallLog(good.substr(0, good.size() - 2), Log()).Directories);
}

TEST_F(Uninstall, DirectoriesListedTwiceAreRemovedOnceInTheRightOrder)
{
    // %APPPATH\docs lists the product folder first; %APPPATH lists it again last.
    Install("3=readme.txt,readme.txt,1,%APPPATH\\docs,N\r\n", "1=%APPPATH\\docs\r\n2=%SMICON\r\n3=%APPPATH\r\n4=%SMICON\r\n");
    const TUninstallLog log = ReadUninstallLog(Log());
    ASSERT_EQ(5u, log.Directories.size());
    Answers answers;
    TUninstallResult result = Remove(answers);
    EXPECT_TRUE(result.NothingStayed()) << UninstallSummary("Demo", result);
    EXPECT_FALSE(platform::DirectoryExists(Product()));
    EXPECT_FALSE(platform::DirectoryExists(Group()));
    EXPECT_EQ(answers.lastTotal, answers.lastDone);
}

TEST_F(Uninstall, ProtectedFoldersStayEvenWhenEmpty)
{
    Install();
    for (const char* dir : {"C:\\Empty", "C:\\Program Files", "C:\\WINDOWS\\Start Menu\\Programs\\Startup"})
        platform::MakeDirectory(dir);
    TUninstallLog log{"Demo", {}, {}, {"C:\\", "C:\\Program Files", "C:\\WINDOWS", "C:\\WINDOWS\\Start Menu",
                                        "C:\\WINDOWS\\Start Menu\\Programs\\Startup", "C:\\WINDOWS\\temp", "C:\\Empty"}};
    Answers answers;
    TUninstallation(log, Log(), answers).Run();
    for (const char* dir : {"C:\\Program Files", "C:\\WINDOWS\\Start Menu\\Programs\\Startup", "C:\\WINDOWS\\temp"})
        EXPECT_TRUE(platform::DirectoryExists(dir)) << dir;
    EXPECT_FALSE(platform::DirectoryExists("C:\\Empty"));
}

// A file in the Windows, system or another protected folder may be other
// programs' although the log names the folder as the product's (a product
// installed into the Windows folder, a log that lists the system folder).
TEST_F(Uninstall, FilesInProtectedFoldersAreSharedWhateverTheLogSays)
{
    Install();
    platform::MakeDirectory("C:\\WINDOWS\\SYSTEM");
    const std::vector<std::string> files{"C:\\WINDOWS\\SYSTEM\\old.dll", "C:\\WINDOWS\\app.ini"};
    for (const std::string& file : files) platform::WriteWholeFile(file, "another program's");
    // Nor is every value in a shared key that points into that folder.
    platform::CreateRegistryKey(RootKey::CurrentUser, kRun);
    platform::WriteRegistryValue(RootKey::CurrentUser, kRun, "Other", "C:\\WINDOWS\\other.exe /tray");
    TUninstallLog log{"Demo", {"HKEY_CURRENT_USER," + std::string(kRun)}, files, {"C:\\WINDOWS\\SYSTEM"}};
    Answers keep;
    TUninstallResult result = TUninstallation(log, "C:\\WINDOWS\\Install.log", keep).Run();
    EXPECT_EQ(2u, keep.sharedAsked.size());
    EXPECT_EQ(2u, result.SharedFilesKept.size());
    for (const std::string& file : files) EXPECT_TRUE(platform::FileExists(file)) << file;
    EXPECT_EQ("C:\\WINDOWS\\other.exe /tray", platform::ReadRegistryString(RootKey::CurrentUser, kRun, "Other"));
}

TEST_F(Uninstall, AFileInUseIsRetriedScheduledOrStopsTheRun)
{
    Install("3=readme.txt,readme.txt,1,%APPPATH,N\r\n");
    const std::string locks = platform::MachineStateFile(platform::kLockedFilesName);
    const std::string restart = platform::MachineStateFile(platform::kRestartDeletesName);
    std::ofstream(locks) << Product("\\readme.txt") << "\r\n";

    // Abort: the run stops there and the log stays for another run.
    Answers abort;
    abort.inUse = {TInUseAnswer::iuAbort};
    TUninstallResult result = Remove(abort);
    EXPECT_TRUE(result.Aborted);
    EXPECT_TRUE(platform::FileExists(Log()));
    EXPECT_TRUE(platform::FileExists(Product("\\demo.exe")));

    // Retry after the program let go.
    Answers retry;
    retry.inUse = {TInUseAnswer::iuRetry};
    retry.onInUse = [&] { std::filesystem::remove(locks); };
    EXPECT_TRUE(Remove(retry).NothingStayed());
    EXPECT_EQ(std::vector<std::string>{Product("\\readme.txt")}, retry.inUseAsked);

    // Ignore: the file and then its folder go at the next restart.
    Install("3=readme.txt,readme.txt,1,%APPPATH,N\r\n");
    std::ofstream(locks) << "c:\\base\\DEMO\\readme.txt\r\n";
    Answers ignore;
    result = Remove(ignore);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_EQ((std::vector<std::string>{Product("\\readme.txt"), Product()}), result.Scheduled);
    EXPECT_EQ(Product("\\readme.txt") + "\r\n" + Product() + "\r\n", ReadBytes(restart));
    EXPECT_NE(std::string::npos, UninstallSummary("Demo", result)
                                     .find("Removed when you restart your computer:\r\n" + Product("\\readme.txt")));
}

TEST_F(Uninstall, TheRunningUninstallerInAFolderThatGoesIsRemovedAtRestart)
{
    Install("3=ridsetup.exe,ridsetup.exe,1,%APPPATH\\bin,N\r\n", "1=%APPPATH\\bin\r\n2=%SMICON\r\n");
    Answers answers;
    TUninstallResult result = Remove(answers, Product("\\bin\\ridsetup.exe"));
    EXPECT_TRUE(result.Succeeded());
    // The folders it leaves go after it.
    EXPECT_EQ((std::vector<std::string>{Product("\\bin\\ridsetup.exe"), Product("\\bin"), Product()}),
              result.Scheduled);
    EXPECT_TRUE(platform::FileExists(Product("\\bin\\ridsetup.exe")));
    // The restart.
    platform::DeleteFileReporting(Product("\\bin\\ridsetup.exe"));
    platform::RemoveEmptyDirectory(Product("\\bin"));
    platform::RemoveEmptyDirectory(Product());
    // The shared copy in the Windows folder stays, uninstaller or not.
    Install();
    result = Remove(answers, "C:\\WINDOWS\\ridsetup.exe");
    EXPECT_TRUE(result.NothingStayed());
    EXPECT_TRUE(platform::FileExists("C:\\WINDOWS\\ridsetup.exe"));
}

TEST_F(Uninstall, RidsetupAsksConfirmsAndReportsInItsWindow)
{
    auto& ui = platform::HeadlessUi::Instance();
    ui.Reset();
    EXPECT_EQ(ueError, RunUninstaller({}, ""));
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ("No uninstall log given.", ui.messages[0].text);

    Install("3=shared.dll,shared.dll,1,%WINDOWSDIR,Y\r\n");
    ui.Reset();
    EXPECT_EQ(ueCancelled, RunUninstaller({"\"" + Log() + "\""}, ""));
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ("Are you sure you want to remove Demo and all of its components?", ui.messages[0].text);
    EXPECT_EQ(platform::MessageKind::Question, ui.messages[0].kind);
    EXPECT_TRUE(platform::FileExists(Product("\\demo.exe")));

    // Yes, then No for the shared file; the log's path unquoted with its blank.
    ui.Reset();
    ui.answers = {true, false};
    ui.modalScripts.push_back([](platform::Form&) { platform::RunMainThreadCalls(); });
    std::vector<std::string> split = {"C:\\Base\\Demo\\Install.log"};
    EXPECT_EQ(ueRemoved, RunUninstaller(split, ""));
    ASSERT_EQ(3u, ui.messages.size());
    EXPECT_EQ("The file C:\\WINDOWS\\shared.dll may be used by other programs. Remove it?", ui.messages[1].text);
    EXPECT_EQ(platform::MessageKind::QuestionDefaultNo, ui.messages[1].kind);
    EXPECT_EQ(std::vector<std::string>{"Demo Uninstall"}, ui.shownCaptions);
    EXPECT_EQ("Demo was successfully removed from your computer.\r\n\r\nShared files kept:\r\nC:\\WINDOWS\\shared.dll",
              ui.messages[2].text);
    EXPECT_EQ(platform::MessageKind::Information, ui.messages[2].kind);
    EXPECT_FALSE(platform::DirectoryExists(Product()));

    // Silent: no window, no question, the shared file kept.
    Install("3=shared.dll,shared.dll,1,%WINDOWSDIR,Y\r\n");
    ui.Reset();
    EXPECT_EQ(ueRemoved, RunUninstaller({"/s", Log()}, ""));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.shownCaptions.empty());
    EXPECT_FALSE(platform::DirectoryExists(Product()));
    EXPECT_TRUE(platform::FileExists("C:\\WINDOWS\\shared.dll"));
}

TEST(UninstallRules, SharedRegistryKeys)
{
    for (const char* key : {"", "\\Software", "Software\\", "\\Software\\Microsoft", "\\Software\\Microsoft\\Office\\X",
                            "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                            "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", "\\Software\\Classes\\.txt",
                            "\\Software\\Policies\\Vendor", "\\System\\CurrentControlSet\\Services\\x",
                            "\\Control Panel\\Desktop", "\\Environment", "\\Vendor", "\\Software\\Wow6432Node"})
        EXPECT_TRUE(SharedRegistryKey("HKEY_LOCAL_MACHINE", key)) << key;
    for (const char* key : {"\\Software\\Vendor", "Software\\Vendor\\Product", "\\Software\\Wow6432Node\\Vendor",
                            "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo",
                            "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\demo.exe"})
        EXPECT_FALSE(SharedRegistryKey("HKEY_LOCAL_MACHINE", key)) << key;
    // The registration keys are the machine's only.
    EXPECT_TRUE(SharedRegistryKey("HKEY_CURRENT_USER", "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo"));
    // Below HKEY_USERS each user's key is a root.
    EXPECT_TRUE(SharedRegistryKey("HKEY_USERS", "\\.DEFAULT\\Software"));
    EXPECT_TRUE(SharedRegistryKey("HKEY_USERS", "\\.DEFAULT"));
    EXPECT_FALSE(SharedRegistryKey("hkey_users", "\\.DEFAULT\\Software\\Vendor"));
}

} // namespace
