#include "medium/EmbeddedMedium.h"

#include "formats/MediumPayload.h"
#include "platform/StreamFiles.h"

#include <optional>

namespace tarvex {

namespace {

constexpr char kFolderPrefix[] = "TarvexSetup-";

class SelfFile : public RandomAccess {
public:
    explicit SelfFile(const std::string& path) : file_(path) {}
    std::uint64_t Size() override { return file_.Size(); }
    void ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) override
    {
        file_.ReadAt(offset, buffer, size);
    }

private:
    platform::ReadableFile file_;
};

// Both passes told as one run from 0 to twice the payload.
class TwoPassProgress : public PayloadProgress {
public:
    TwoPassProgress(TEmbeddedMedium::Progress* to, int pass) : to_(to), pass_(pass) {}
    void Advance(std::uint64_t done, std::uint64_t total) override
    {
        if (to_) to_->Advance(pass_ * total + done, 2 * total);
    }

private:
    TEmbeddedMedium::Progress* to_;
    int pass_;
};

std::string Hex(std::uint32_t v)
{
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i, v >>= 4) out[i] = "0123456789ABCDEF"[v & 15];
    return out;
}

} // namespace

struct TEmbeddedMedium::State {
    std::optional<SelfFile> file;
    PayloadPlace place;
};

// Makes the entries' files below the folder, each one new.
class EmbeddedSink : public PayloadSink {
public:
    explicit EmbeddedSink(TEmbeddedMedium& medium) : medium_(medium) {}
    void Begin(const PayloadEntry& entry) override
    {
        // The folders on the way, each made once; the path was checked.
        std::string path = medium_.directory_;
        for (std::size_t pos = 0, cut; (cut = entry.path.find('\\', pos)) != std::string::npos; pos = cut + 1) {
            path = medium_.directory_ + entry.path.substr(0, cut);
            if (!platform::DirectoryExists(path)) {
                if (!platform::MakeDirectory(path)) throw Exception("Cannot create folder " + path);
                medium_.folders_.push_back(path);
            }
        }
        path = medium_.directory_ + entry.path;
        file_.emplace(path);
        medium_.files_.push_back(path);
        lastWrite_ = entry.lastWrite;
    }
    void Write(const unsigned char* data, std::size_t size) override { file_->Write(data, size); }
    void End() override
    {
        if (lastWrite_) file_->SetLastWrite(lastWrite_);
        file_.reset();
    }

private:
    TEmbeddedMedium& medium_;
    std::optional<platform::NewFile> file_;
    std::uint64_t lastWrite_ = 0;
};

TEmbeddedMedium::TEmbeddedMedium(const std::string& program) : state_(std::make_unique<State>())
{
    try {
        state_->file.emplace(program);
        state_->place = LocatePayload(*state_->file);
    } catch (const EPayloadError& e) {
        throw EMediumDamaged(e.Message());
    } catch (const Exception&) {
        // A program that cannot read itself runs as it always did, from its folder.
        state_->place.present = false;
    }
}

TEmbeddedMedium::~TEmbeddedMedium()
{
    // Files first, then the folders from the deepest up.
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) platform::RemoveFile(*it);
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) platform::RemoveFolder(*it);
}

bool TEmbeddedMedium::Present() const { return state_->place.present; }

std::uint64_t TEmbeddedMedium::Size() const { return state_->place.trailer.size; }

void TEmbeddedMedium::Extract(Progress* progress)
{
    TwoPassProgress verifying(progress, 0), writing(progress, 1);
    try {
        ReadPayload(*state_->file, state_->place, nullptr, &verifying);
    } catch (const EPayloadError& e) {
        throw EMediumDamaged(e.Message());
    }

    // A name nobody else holds: the folder is made, not found.
    const std::string temp = platform::TempPath();
    const std::uint32_t seed = platform::RunSeed();
    for (std::uint32_t i = 0; i < 100 && folders_.empty(); ++i) {
        std::string name = temp + kFolderPrefix + Hex(seed + i * 7919u);
        if (platform::MakeDirectory(name)) folders_.push_back(name);
    }
    if (folders_.empty()) throw Exception("Cannot create folder " + temp + kFolderPrefix + "...");
    directory_ = folders_.front() + "\\";

    // The running program's file cannot be written while it runs: what was
    // verified is what is read again, so the second pass skips the CRC.
    EmbeddedSink sink(*this);
    try {
        ReadPayload(*state_->file, state_->place, &sink, &writing, false);
    } catch (const EPayloadError& e) {
        throw EMediumDamaged(e.Message());
    }
}

} // namespace tarvex
