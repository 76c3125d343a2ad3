#include "authoring/MediumBundle.h"

#include "authoring/FileBytes.h"
#include "base/Ascii.h"
#include "base/Text.h"
#include "platform/StreamFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace tarvex {

namespace fs = std::filesystem;

namespace {

constexpr char kSetupProgram[] = "setup.exe";

// A file read through the platform, which knows its date to 100 ns (the
// library's clock on Windows keeps whole seconds only).
class InputFile : public RandomAccess {
public:
    explicit InputFile(const std::string& path) : file_(Open(path)) {}
    std::uint64_t Size() override { return file_.Size(); }
    std::uint64_t LastWrite() const { return file_.LastWrite(); }
    void ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) override
    {
        file_.ReadAt(offset, buffer, size);
    }

private:
    static const std::string& Open(const std::string& path)
    {
        if (std::string problem = FileReadProblem(path); !problem.empty())
            throw Exception("Cannot read file " + path + ": " + problem);
        return path;
    }
    platform::ReadableFile file_;
};

// Output written under a passing name beside its place and put there only
// when whole: a failure leaves what was there before, and the output never
// cuts short a file that is still being read.
class OutputFile {
public:
    explicit OutputFile(const fs::path& path) : path_(path)
    {
        std::error_code ec;
        if (fs::is_directory(path, ec)) throw Exception("Cannot create file " + path.string() + ": it is a folder");
        // Host files, whatever machine is set: a name nobody has taken.
        for (std::uint32_t n = platform::RunSeed(), tries = 0; part_.empty(); ++n) {
            fs::path part = path;
            part += "." + std::to_string(n % 1000000) + ".part";
            if (fs::exists(part, ec) || ec) {
                if (++tries == 100) throw Exception("Cannot create file " + path.string());
                continue;
            }
            part_ = part;
        }
        out_.open(part_, std::ios::binary | std::ios::trunc);
        if (!out_) {
            part_.clear();
            throw Exception("Cannot create file " + path.string());
        }
    }
    ~OutputFile()
    {
        if (part_.empty()) return;
        out_.close();
        std::error_code ec;
        fs::remove(part_, ec);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    void Write(const void* data, std::size_t size)
    {
        if (!out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size)))
            throw Exception("Cannot write file " + path_.string());
        written_ += size;
    }
    void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
    void Close()
    {
        out_.close();
        if (!out_) throw Exception("Cannot write file " + path_.string());
        std::error_code ec;
        fs::rename(part_, path_, ec);
        if (ec) throw Exception("Cannot write file " + path_.string() + ": " + ec.message());
        part_.clear();
    }
    std::uint64_t Written() const { return written_; }

private:
    fs::path path_;
    fs::path part_;
    std::ofstream out_;
    std::uint64_t written_ = 0;
};

// Relative path with backslashes: how the entry names it.
std::string EntryName(const fs::path& relative)
{
    std::string name;
    for (const fs::path& part : relative) {
        if (!name.empty()) name += '\\';
        name += part.string();
    }
    return name;
}

// Refuses an output that is one of the medium's files or the program being
// bundled: writing it would replace what it is made of.
void CheckNotAnInput(const std::string& output, const std::string& mediumDir, const std::string& setupExe)
{
    std::error_code ec;
    if (!fs::exists(output, ec)) return;
    if (fs::equivalent(output, setupExe, ec))
        throw Exception("Cannot create file " + output + ": it is the setup program being bundled");
    for (auto it = fs::recursive_directory_iterator(mediumDir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::error_code unlike;
        if (fs::equivalent(output, it->path(), unlike))
            throw Exception("Cannot create file " + output + ": it is the medium's " +
                            EntryName(fs::relative(it->path(), mediumDir)));
    }
}

fs::path HostPath(const fs::path& dir, const std::string& entry)
{
    fs::path out = dir;
    ForEachPathPart(entry, [&](std::string_view part) { out /= std::string(part); });
    return out;
}

std::string Damaged(const std::string& bundle, const EPayloadError& e)
{
    return bundle + ": the medium inside is damaged: " + e.Message();
}

PayloadPlace Locate(InputFile& file, const std::string& bundle)
{
    PayloadPlace place;
    try {
        place = LocatePayload(file);
    } catch (const EPayloadError& e) {
        if (e.Message() == "not a program") throw EPayloadError(bundle + ": not a program");
        throw EPayloadError(Damaged(bundle, e));
    }
    if (!place.present) throw EPayloadError(bundle + " carries no medium");
    return place;
}

// Collects the entries as they pass.
class ListSink : public PayloadSink {
public:
    void Begin(const PayloadEntry& entry) override { entries.push_back(entry); }
    void Write(const unsigned char*, std::size_t) override {}
    void End() override {}
    std::vector<PayloadEntry> entries;
};

std::vector<PayloadEntry> Verify(InputFile& file, const PayloadPlace& place, const std::string& bundle)
{
    ListSink list;
    try {
        ReadPayload(file, place, &list);
        // Names Windows takes for one file: the second would fail half-way.
        std::vector<std::pair<std::string, std::size_t>> names;
        for (const PayloadEntry& e : list.entries) names.emplace_back(AsciiLowerCopy(e.path), names.size());
        std::sort(names.begin(), names.end());
        for (std::size_t i = 1; i < names.size(); ++i)
            if (names[i].first == names[i - 1].first)
                throw EPayloadError("the path \"" + list.entries[names[i].second].path + "\" comes twice");
    } catch (const EPayloadError& e) {
        throw EPayloadError(Damaged(bundle, e));
    }
    return list.entries;
}

// Writes each entry under a folder, each file new. The platform sets the
// date: the library's clock on Windows keeps whole seconds only.
class FolderSink : public PayloadSink {
public:
    explicit FolderSink(const fs::path& dir) : dir_(dir) {}
    void Begin(const PayloadEntry& entry) override
    {
        fs::path path = HostPath(dir_, entry.path);
        fs::create_directories(path.parent_path());
        out_ = std::make_unique<platform::NewFile>(path.string());
        lastWrite_ = entry.lastWrite;
    }
    void Write(const unsigned char* data, std::size_t size) override { out_->Write(data, size); }
    void End() override
    {
        if (lastWrite_) out_->SetLastWrite(lastWrite_);
        out_.reset();
    }

private:
    fs::path dir_;
    std::unique_ptr<platform::NewFile> out_;
    std::uint64_t lastWrite_ = 0;
};

// The program's image without its certificate table, which then loses its
// directory entry too: a bundle is signed as a whole.
void CopyImage(InputFile& in, const ProgramLayout& layout, OutputFile& out, std::vector<unsigned char>& buffer)
{
    for (std::uint64_t at = 0; at < layout.imageEnd;) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), layout.imageEnd - at));
        in.ReadAt(at, buffer.data(), n);
        if (layout.certSize)
            for (std::uint64_t i = layout.securityEntry; i < layout.securityEntry + 8; ++i)
                if (i >= at && i < at + n) buffer[i - at] = 0;
        out.Write(buffer.data(), n);
        at += n;
    }
}

// Removes what a failed write left, unless released.
class Undo {
public:
    Undo(fs::path path, bool whole) : path_(std::move(path)), whole_(whole) {}
    ~Undo()
    {
        if (path_.empty()) return;
        std::error_code ec;
        if (whole_) {
            fs::remove_all(path_, ec);
        } else {
            for (const auto& child : fs::directory_iterator(path_, ec)) fs::remove_all(child.path(), ec);
        }
    }
    void Release() { path_.clear(); }

private:
    fs::path path_;
    bool whole_;
};

} // namespace

BundleResult WriteBundle(const std::string& mediumDir, const std::string& setupExe, const std::string& output)
{
    InputFile setup(setupExe);
    PayloadPlace setupPlace;
    try {
        setupPlace = LocatePayload(setup);
    } catch (const EPayloadError& e) {
        throw Exception(setupExe + ": " + e.Message());
    }
    if (setupPlace.present) throw Exception(setupExe + " already carries a medium");

    // The files in a fixed order, so that a medium always gives the same bundle.
    std::vector<std::pair<std::string, fs::path>> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(mediumDir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory()) continue;
        const fs::path relative = fs::relative(it->path(), mediumDir);
        const std::string name = EntryName(relative);
        if (!it->is_regular_file()) throw Exception("Cannot carry " + name + ": not a regular file");
        if (SameTextAscii(name, kSetupProgram)) continue;
        if (std::string problem = EntryPathProblem(name); !problem.empty())
            throw Exception("Cannot carry " + name + ": " + problem);
        files.emplace_back(name, it->path());
    }
    if (ec) throw Exception("Cannot read folder " + mediumDir + ": " + ec.message());
    std::sort(files.begin(), files.end());

    CheckNotAnInput(output, mediumDir, setupExe);

    BundleResult result;
    OutputFile out(output);
    std::vector<unsigned char> buffer(kPayloadBuffer);
    CopyImage(setup, setupPlace.layout, out, buffer);
    result.programSize = out.Written();

    Crc32 crc;
    auto put = [&](const void* data, std::size_t size) {
        crc.Update(static_cast<const unsigned char*>(data), size);
        out.Write(data, size);
    };
    for (const auto& [name, path] : files) {
        PayloadEntry entry;
        entry.path = name;
        InputFile in(path.string());
        entry.size = in.Size();
        entry.lastWrite = in.LastWrite();
        std::string header = EncodeEntryHeader(entry);
        put(header.data(), header.size());
        for (std::uint64_t at = 0; at < entry.size;) {
            std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), entry.size - at));
            in.ReadAt(at, buffer.data(), n);
            put(buffer.data(), n);
            at += n;
        }
        result.entries.push_back(std::move(entry));
    }
    PayloadTrailer trailer;
    trailer.entries = static_cast<std::uint32_t>(result.entries.size());
    trailer.offset = result.programSize;
    trailer.size = out.Written() - result.programSize;
    trailer.crc = crc.Value();
    result.payloadSize = trailer.size;
    // A signer puts its table on an eight-byte boundary: the trailer ends there.
    out.Write(std::string((8 - (out.Written() + kTrailerSize) % 8) % 8, '\0'));
    out.Write(EncodeTrailer(trailer));
    out.Close();
    result.totalSize = out.Written();
    return result;
}

std::vector<PayloadEntry> ListBundle(const std::string& bundle)
{
    InputFile file(bundle);
    return Verify(file, Locate(file, bundle), bundle);
}

std::vector<PayloadEntry> Unbundle(const std::string& bundle, const std::string& dir)
{
    InputFile file(bundle);
    const PayloadPlace place = Locate(file, bundle);
    std::vector<PayloadEntry> entries = Verify(file, place, bundle);

    std::error_code ec;
    const bool existed = fs::exists(dir, ec);
    if (existed && (!fs::is_directory(dir, ec) || !fs::is_empty(dir, ec)))
        throw Exception("Cannot unbundle into " + dir + ": not an empty folder");
    if (!existed && !fs::create_directories(dir, ec)) throw Exception("Cannot create folder " + dir);
    Undo undo(dir, !existed);

    FolderSink sink(dir);
    try {
        ReadPayload(file, place, &sink);
    } catch (const EPayloadError& e) {
        throw EPayloadError(Damaged(bundle, e)); // changed since it was verified
    }
    // setup.exe as the bundle carries it.
    OutputFile setup(fs::path(dir) / kSetupProgram);
    std::vector<unsigned char> buffer(kPayloadBuffer);
    CopyImage(file, place.layout, setup, buffer);
    setup.Close();
    undo.Release();
    return entries;
}

} // namespace tarvex
