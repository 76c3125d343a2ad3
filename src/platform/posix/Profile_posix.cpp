#include "platform/ProfileBackend.h"
#include "formats/IniText.h"
#include "platform/posix/PosixFile.h"

namespace tarvex::platform {

namespace {

class PosixProfile final : public ProfileFile::Backend {
public:
    explicit PosixProfile(const std::string& text) : ini_(text) {}
    std::optional<std::string> Lookup(const std::string& section, const std::string& key) const override
    {
        return ini_.Lookup(section, key);
    }
    std::vector<std::string> KeyNames(const std::string& section) const override { return ini_.KeyNames(section); }

private:
    IniText ini_;
};

} // namespace

std::unique_ptr<ProfileFile::Backend> OpenProfileBackend(const std::string& path)
{
    std::string text;
    ReadHostFile(ReadHostPath(path), text); // unreadable reads as empty
    return std::make_unique<PosixProfile>(text);
}

} // namespace tarvex::platform
