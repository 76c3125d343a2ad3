#include "formats/MediumPayload.h"

#include "base/Ascii.h"
#include "base/Text.h"

#include <algorithm>
#include <array>
#include <memory>
#include <set>

namespace tarvex {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// More would only be a crafted payload: the list of entries is kept.
constexpr std::uint32_t kMaxEntries = 100000;

std::uint64_t Get(const unsigned char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

void Put(std::string& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

} // namespace

void Crc32::Update(const unsigned char* data, std::size_t size)
{
    std::uint32_t c = state_;
    for (std::size_t i = 0; i < size; ++i) c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    state_ = c;
}

std::string EncodeEntryHeader(const PayloadEntry& entry)
{
    std::string out;
    Put(out, entry.path.size(), 2);
    out += entry.path;
    Put(out, entry.size, 8);
    Put(out, entry.lastWrite, 8);
    return out;
}

std::string EncodeTrailer(const PayloadTrailer& trailer)
{
    std::string out(reinterpret_cast<const char*>(kTrailerMagic), sizeof kTrailerMagic);
    Put(out, trailer.version, 4);
    Put(out, trailer.entries, 4);
    Put(out, trailer.offset, 8);
    Put(out, trailer.size, 8);
    Put(out, trailer.crc, 4);
    Crc32 crc;
    crc.Update(reinterpret_cast<const unsigned char*>(out.data()), out.size());
    Put(out, crc.Value(), 4);
    return out;
}

std::string EntryPathProblem(std::string_view path)
{
    if (path.empty()) return "the path is empty";
    if (path.size() > kMaxEntryPath) return "the path is longer than 259 characters";
    for (unsigned char c : path) {
        if (c < 0x20 || c == '/' || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
            return "the path " + Quoted(path) + " holds a character Windows does not allow";
        if (c == ':') return "the path " + Quoted(path) + " names a drive";
    }
    std::string problem;
    ForEachPathPart(path, [&](std::string_view part) {
        if (!problem.empty()) return;
        if (part.empty() || part == "." || part == "..")
            problem = "the path " + Quoted(path) + " leads outside the medium";
        else if (part.back() == '.' || part.back() == ' ')
            problem = "the path " + Quoted(path) + " has a name ending in a dot or blank";
        else if (IsDeviceName(part))
            problem = "the path " + Quoted(path) + " names a device";
    });
    return problem;
}

ProgramLayout ReadProgramLayout(RandomAccess& file)
{
    const std::uint64_t fileSize = file.Size();
    const EPayloadError notProgram("not a program");
    unsigned char dos[64];
    if (fileSize < sizeof dos) throw notProgram;
    file.ReadAt(0, dos, sizeof dos);
    if (dos[0] != 'M' || dos[1] != 'Z') throw notProgram;
    const std::uint64_t pe = Get(dos + 0x3C, 4);
    unsigned char head[24 + 240];
    if (pe + 24 > fileSize) throw notProgram;
    const std::size_t headSize = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof head, fileSize - pe));
    file.ReadAt(pe, head, headSize);
    if (head[0] != 'P' || head[1] != 'E' || head[2] || head[3]) throw notProgram;
    const unsigned sections = static_cast<unsigned>(Get(head + 6, 2));
    const unsigned optionalSize = static_cast<unsigned>(Get(head + 20, 2));
    if (sections == 0 || sections > 96 || optionalSize > sizeof head - 24 || 24 + optionalSize > headSize)
        throw notProgram;
    const unsigned char* opt = head + 24;
    const unsigned magic = static_cast<unsigned>(Get(opt, 2));
    unsigned directories;
    if (magic == 0x10B) directories = 96;
    else if (magic == 0x20B) directories = 112;
    else throw notProgram;

    ProgramLayout layout;
    if (optionalSize >= 64) layout.imageEnd = Get(opt + 60, 4); // SizeOfHeaders
    if (optionalSize >= directories && Get(opt + directories - 4, 4) > 4 && optionalSize >= directories + 40) {
        layout.securityEntry = pe + 24 + directories + 32;
        layout.certOffset = Get(opt + directories + 32, 4);
        layout.certSize = Get(opt + directories + 36, 4);
    }

    const std::uint64_t table = pe + 24 + optionalSize;
    if (table + 40ull * sections > fileSize) throw notProgram;
    std::vector<unsigned char> entries(40ull * sections);
    file.ReadAt(table, entries.data(), entries.size());
    for (unsigned i = 0; i < sections; ++i) {
        const unsigned char* s = entries.data() + 40ull * i;
        const std::uint64_t rawSize = Get(s + 16, 4), rawOffset = Get(s + 20, 4);
        if (rawSize) layout.imageEnd = std::max(layout.imageEnd, rawOffset + rawSize);
    }
    return layout;
}

PayloadPlace LocatePayload(RandomAccess& file)
{
    PayloadPlace place;
    place.layout = ReadProgramLayout(file);
    const ProgramLayout& layout = place.layout;
    const std::uint64_t fileSize = file.Size();
    if (layout.imageEnd > fileSize) throw EPayloadError("the program is cut short");
    std::uint64_t end = fileSize;
    if (layout.certSize) {
        if (layout.certOffset < layout.imageEnd || layout.certOffset > fileSize ||
            layout.certSize > fileSize - layout.certOffset)
            throw EPayloadError("the certificate table lies outside the file");
        end = layout.certOffset;
    }
    if (end == layout.imageEnd) return place;

    // A signer may pad to eight bytes after the trailer.
    unsigned char tail[kTrailerSize + 7];
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof tail, end - layout.imageEnd));
    if (tailSize < kTrailerSize) throw EPayloadError("the file is cut short");
    file.ReadAt(end - tailSize, tail, tailSize);
    std::size_t pad = 0;
    while (pad + kTrailerSize < tailSize && tail[tailSize - 1 - pad] == 0) ++pad;
    for (;; --pad) {
        const unsigned char* t = tail + tailSize - pad - kTrailerSize;
        if (std::equal(std::begin(kTrailerMagic), std::end(kTrailerMagic), t)) break;
        if (pad == 0) throw EPayloadError("the file is cut short");
    }
    const unsigned char* t = tail + tailSize - pad - kTrailerSize;
    Crc32 crc;
    crc.Update(t, kTrailerSize - 4);
    if (crc.Value() != Get(t + 36, 4)) throw EPayloadError("the trailer is damaged");
    PayloadTrailer& trailer = place.trailer;
    trailer.version = static_cast<std::uint32_t>(Get(t + 8, 4));
    trailer.entries = static_cast<std::uint32_t>(Get(t + 12, 4));
    trailer.offset = Get(t + 16, 8);
    trailer.size = Get(t + 24, 8);
    trailer.crc = static_cast<std::uint32_t>(Get(t + 32, 4));
    if (trailer.version != kPayloadVersion)
        throw EPayloadError("the medium inside has format version " + std::to_string(trailer.version) +
                            ", this program reads version " + std::to_string(kPayloadVersion));
    const std::uint64_t trailerStart = end - pad - kTrailerSize;
    // Up to seven bytes of padding may lie between the payload and the trailer.
    if (trailer.offset < layout.imageEnd || trailer.offset > trailerStart ||
        trailer.size > trailerStart - trailer.offset || trailerStart - trailer.offset - trailer.size > 7)
        throw EPayloadError("the trailer points outside the file");
    if (trailer.entries > kMaxEntries) throw EPayloadError("the trailer claims too many files");
    place.present = true;
    return place;
}

namespace {

// The payload read in order, every byte through the CRC.
class PayloadStream {
public:
    PayloadStream(RandomAccess& file, const PayloadTrailer& trailer, PayloadProgress* progress)
        : file_(file), trailer_(trailer), buffer_(new unsigned char[kPayloadBuffer]), progress_(progress)
    {
    }

    std::uint64_t Left() const { return trailer_.size - done_; }

    // The next n bytes (n <= kPayloadBuffer), or EPayloadError when the payload ends first.
    const unsigned char* Take(std::size_t n, const char* what)
    {
        if (n > Left()) throw EPayloadError(std::string("the payload ends inside ") + what);
        if (n > end_ - pos_) {
            std::size_t kept = end_ - pos_;
            std::copy(buffer_.get() + pos_, buffer_.get() + end_, buffer_.get());
            std::size_t fill = static_cast<std::size_t>(
                std::min<std::uint64_t>(kPayloadBuffer - kept, Left() - kept));
            file_.ReadAt(trailer_.offset + done_ + kept, buffer_.get() + kept, fill);
            pos_ = 0;
            end_ = kept + fill;
        }
        return Consume(n);
    }

    // Up to most bytes (at least one) of what the buffer holds, refilled when empty.
    const unsigned char* TakeSome(std::uint64_t most, std::size_t& n)
    {
        if (pos_ == end_) {
            end_ = static_cast<std::size_t>(std::min<std::uint64_t>(kPayloadBuffer, Left()));
            pos_ = 0;
            file_.ReadAt(trailer_.offset + done_, buffer_.get(), end_);
        }
        n = static_cast<std::size_t>(std::min<std::uint64_t>(most, end_ - pos_));
        return Consume(n);
    }

    std::uint32_t Crc() const { return crc_.Value(); }

private:
    const unsigned char* Consume(std::size_t n)
    {
        const unsigned char* p = buffer_.get() + pos_;
        crc_.Update(p, n);
        pos_ += n;
        done_ += n;
        if (progress_ && (done_ - told_ >= kPayloadBuffer || done_ == trailer_.size)) {
            told_ = done_;
            progress_->Advance(done_, trailer_.size);
        }
        return p;
    }

    RandomAccess& file_;
    const PayloadTrailer& trailer_;
    std::unique_ptr<unsigned char[]> buffer_;
    PayloadProgress* progress_;
    std::size_t pos_ = 0, end_ = 0;
    std::uint64_t done_ = 0, told_ = 0;
    Crc32 crc_;
};

} // namespace

std::vector<PayloadEntry> ReadPayload(RandomAccess& file, const PayloadPlace& place, PayloadSink* sink,
                                      PayloadProgress* progress)
{
    PayloadStream in(file, place.trailer, progress);
    std::vector<PayloadEntry> entries;
    std::set<std::string> seen;
    while (in.Left() > 0) {
        if (entries.size() >= place.trailer.entries)
            throw EPayloadError("the payload holds more files than its trailer says");
        PayloadEntry entry;
        const std::size_t length = static_cast<std::size_t>(Get(in.Take(2, "a file's header"), 2));
        if (length == 0 || length > kMaxEntryPath)
            throw EPayloadError("file " + std::to_string(entries.size() + 1) + ": the path's length is " +
                                std::to_string(length));
        const unsigned char* name = in.Take(length, "a file's header");
        entry.path.assign(reinterpret_cast<const char*>(name), length);
        const unsigned char* numbers = in.Take(16, "a file's header");
        entry.size = Get(numbers, 8);
        entry.lastWrite = Get(numbers + 8, 8);
        if (std::string problem = EntryPathProblem(entry.path); !problem.empty()) throw EPayloadError(problem);
        if (!seen.insert(AsciiLowerCopy(entry.path)).second)
            throw EPayloadError("the path " + Quoted(entry.path) + " comes twice");
        if (entry.size > in.Left()) throw EPayloadError("the file " + Quoted(entry.path) + " runs past the payload");
        if (sink) sink->Begin(entry);
        for (std::uint64_t left = entry.size; left > 0;) {
            std::size_t n = 0;
            const unsigned char* data = in.TakeSome(left, n);
            if (sink) sink->Write(data, n);
            left -= n;
        }
        if (sink) sink->End();
        entries.push_back(std::move(entry));
    }
    if (entries.size() != place.trailer.entries)
        throw EPayloadError("the payload holds " + std::to_string(entries.size()) + " files, its trailer says " +
                            std::to_string(place.trailer.entries));
    if (in.Crc() != place.trailer.crc) throw EPayloadError("the payload's checksum does not match");
    return entries;
}

} // namespace tarvex
