#pragma once
// The uninstall engine: removes what an Install.log lists, for ridsetup.exe
// (windowed and silent) and the tool alike. The caller answers its questions.
#include "base/Exception.h"
#include "platform/Registry.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tarvex {

class EUninstallError : public Exception {
public:
    explicit EUninstallError(std::string message) : Exception(std::move(message)) {}
};

// An uninstall log as Install writes it, checked whole.
struct TUninstallLog {
    std::string Title;
    std::vector<std::string> Registry; // ROOT,key path
    std::vector<std::string> Files;
    std::vector<std::string> Directories;
};

// Refuses, with EUninstallError, a log that cannot be read or is not one:
// the first line not [APPLICATION], a line before it, an unknown, repeated
// or missing section, a title section without exactly one line, a registry
// line without a known root, a relative path under [FILES] or [DIRECTORIES].
// path names the log in the message for a file that is none.
TUninstallLog ParseUninstallLog(const std::string& text, const std::string& path);
TUninstallLog ReadUninstallLog(const std::string& path);

enum class TInUseAnswer { iuRetry, iuIgnore, iuAbort };

// What the caller decides and is told while the engine works.
class TUninstallQuestions {
public:
    virtual ~TUninstallQuestions() = default;
    // A file outside the product's directories: remove it too?
    virtual bool RemoveSharedFile(const std::string& path) = 0;
    // A file another program holds open. Ignore schedules it for the next
    // restart; Abort stops the run where it is, leaving the log.
    virtual TInUseAnswer FileInUse(const std::string& path) = 0;
    // The item now being worked on, the count done with it, and the total.
    virtual void Progress(const std::string& item, std::size_t done, std::size_t total) = 0;
    // One line for each thing removed or scheduled.
    virtual void Removed(const std::string& line) = 0;
};

// What stayed, each line naming the item and why.
struct TUninstallResult {
    std::vector<std::string> Scheduled;       // removed at the next restart
    std::vector<std::string> NotEmpty;        // directory (its first entries)
    std::vector<std::string> SharedFilesKept; // answered No
    std::vector<std::string> KeysKept;        // shared, or another installation's
    std::vector<std::string> Errors;          // could not be removed
    bool Aborted = false;
    bool Succeeded() const { return Errors.empty() && !Aborted; }
    bool NothingStayed() const;
};

class TUninstallation {
public:
    // logPath: the log as the command named it; its directory is the
    // product's.
    TUninstallation(TUninstallLog log, std::string logPath, TUninstallQuestions& questions);

    // The running uninstaller: when it lies in a directory being removed it
    // is scheduled for removal at the next restart.
    std::string SelfPath;

    TUninstallResult Run();
    // Another party to answer from now on (a window made after the engine).
    void SetQuestions(TUninstallQuestions& questions) { questions_ = &questions; }

    const TUninstallLog& Log() const { return log_; }
    const std::string& ProductDirectory() const { return productDir_; }

private:
    void RemoveFiles();
    void RemoveFile(const std::string& path);
    void RemoveRegistry();
    void RemoveKeyLine(const std::string& line);
    void RemovePathValues(platform::RootKey root, const std::string& rootName, const std::string& key);
    void RemoveEmptyParents(platform::RootKey root, const std::string& rootName, std::string key);
    void RemoveDirectories();
    bool Scheduled(const std::string& path) const;
    bool PathData(const std::string& data) const;
    bool Protected(const std::string& dir) const;
    bool Inside(const std::string& path, const std::string& dir) const;
    bool Owned(const std::string& file) const;
    void Step(const std::string& item);

    TUninstallLog log_;
    std::string logPath_;
    std::string productDir_;
    TUninstallQuestions* questions_;
    TUninstallResult result_;
    std::size_t done_ = 0;
    std::size_t total_ = 0;
    std::vector<std::string> protected_;
    // The product folder and the listed ones that are not protected: a file
    // below one of them is the product's own.
    std::vector<std::string> owned_;
};

// Whether a registry key (path below its root, without the root's name) is
// one the product may never remove: a top-level key, the Software key, or a
// key in the trees the system and other programs share (Software\Microsoft
// with Run and the like, Software\Classes, System, Control Panel, ...). The
// product's own App Paths and Uninstall keys are not shared.
bool SharedRegistryKey(const std::string& rootName, const std::string& keyPath);

// "TITLE was successfully removed from your computer." and what stayed.
std::string UninstallSummary(const std::string& title, const TUninstallResult& result);

} // namespace tarvex
