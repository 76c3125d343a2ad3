#include "engine/CopyFile.h"

#include "platform/Files.h"
#include "platform/LzExpand.h"

namespace tarvex {

namespace {

constexpr char kTempSuffix[] = ".~tvx";
constexpr char kSameFile[] = "Source and destination are the same file: ";
// What Windows reports for a path past MAX_PATH.
constexpr unsigned kFileNameTooLong = 206;

// Removes the temporary copy unless it was put in place.
class TempSibling {
public:
    explicit TempSibling(const std::string& dest) : path_(CopyTempPath(dest)) {}
    ~TempSibling()
    {
        if (!kept_) platform::RemoveFile(path_);
    }
    TempSibling(const TempSibling&) = delete;
    TempSibling& operator=(const TempSibling&) = delete;
    const std::string& Path() const { return path_; }
    void Keep() { kept_ = true; }

private:
    std::string path_;
    bool kept_ = false;
};

} // namespace

std::string CopyTempPath(const std::string& dest) { return dest + kTempSuffix; }

bool LZCopyFile(const std::string& source, const std::string& dest)
{
    // The runtime's I/O error names neither file; ours names the one that
    // failed and the other end of the copy.
    const auto sourceFailed = [&](unsigned code) {
        return platform::EInOutError(code, source + " (copying to " + dest + ")");
    };
    const auto destFailed = [&](unsigned code) {
        return platform::EInOutError(code, dest + " (copying from " + source + ")");
    };
    // The suffix may carry a name that fits past the limit; refuse it here
    // rather than leave it to the backend, so that both builds agree.
    if (CopyTempPath(dest).size() > kMaxCopyPath) throw destFailed(kFileNameTooLong);
    try {
        // A destination we may not replace fails as opening it for writing would.
        platform::CheckWritable(dest);
    } catch (const platform::EInOutError& e) {
        throw destFailed(e.Code());
    }
    TempSibling temp(dest);
    try {
        platform::LzExpandFile(source, temp.Path());
    } catch (const platform::LzError& e) {
        switch (e.GetStage()) {
        case platform::LzError::Stage::OpenSource:
            throw sourceFailed(e.SystemCode());
        case platform::LzError::Stage::CreateDest:
            throw destFailed(e.SystemCode());
        case platform::LzError::Stage::Expand:
            return false;
        }
    } catch (const std::exception&) {
        throw ECopyFile("Unable to copy file: \r" + source + "\rTo:\r" + dest);
    }
    try {
        platform::PutInPlace(temp.Path(), dest);
    } catch (const platform::EInOutError& e) {
        throw destFailed(e.Code());
    }
    temp.Keep();
    return true;
}

void ExpandReplacing(const std::string& source, const std::string& dest)
{
    if (platform::SameFile(source, dest)) throw Exception(kSameFile + dest);
    const auto named = [&dest](const std::exception& e) { return Exception(dest + ": " + e.what()); };
    try {
        platform::CheckWritable(dest);
    } catch (const platform::EInOutError& e) {
        throw named(e);
    }
    TempSibling temp(dest);
    try {
        platform::LzExpandFile(source, temp.Path());
    } catch (const platform::LzError& e) {
        // The temporary name means nothing to the user; the destination does.
        if (e.GetStage() != platform::LzError::Stage::CreateDest) throw;
        throw Exception(dest + ": " + platform::IoErrorText(e.SystemCode()));
    }
    try {
        platform::PutInPlace(temp.Path(), dest);
    } catch (const platform::EInOutError& e) {
        throw named(e);
    }
    temp.Keep();
}

} // namespace tarvex
