#include "formats/MediumPayload.h"

#include "base/Text.h"

#include <algorithm>
#include <memory>

namespace tarvex {

namespace {

// Eight tables, a byte of two words each, made at first use on the heap:
// setup.exe's toolchain would store even zeroed static tables in the file.
// Payloads are read on one thread, so the making needs no guard; the tables
// live as long as the program.
using CrcTable = std::uint32_t[256];
const CrcTable* Tables()
{
    static CrcTable* t = nullptr;
    if (t) return t;
    CrcTable* made = new CrcTable[8];
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        made[0][i] = c;
    }
    for (int k = 1; k < 8; ++k)
        for (std::uint32_t i = 0; i < 256; ++i) made[k][i] = (made[k - 1][i] >> 8) ^ made[0][made[k - 1][i] & 0xFF];
    return t = made;
}

// More would only be a crafted payload: the list of entries is kept.
constexpr std::uint32_t kMaxEntries = 100000;

// Little-endian numbers; out of line, as 64-bit shifts are long on x86.
[[gnu::noinline]] std::uint32_t Get32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint32_t Get16(const unsigned char* p) { return p[0] | p[1] << 8; }
[[gnu::noinline]] std::uint64_t Get64(const unsigned char* p) { return Get32(p) | std::uint64_t{Get32(p + 4)} << 32; }

// One place builds the texts, so that setup.exe carries them once.
[[noreturn]] void Fail(const char* text) { throw EPayloadError(text); }

std::string PathProblem(std::string_view path, const char* what)
{
    std::string text = "the path \"";
    text += path;
    text += "\" ";
    return text += what;
}

} // namespace

void Crc32::Update(const unsigned char* data, std::size_t size)
{
    // Eight bytes a step, near twice as fast as four: the CRC is most of
    // the time setup.exe spends verifying its medium.
    const CrcTable* t = Tables();
    std::uint32_t c = state_;
    for (; size >= 8; size -= 8, data += 8) {
        const std::uint32_t a = c ^ (data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24);
        const std::uint32_t b = data[4] | data[5] << 8 | data[6] << 16 | static_cast<std::uint32_t>(data[7]) << 24;
        c = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^ t[3][b & 0xFF] ^
            t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
    }
    for (; size > 0; --size) c = t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
    state_ = c;
}

std::string EntryPathProblem(std::string_view path)
{
    if (path.empty()) return "the path is empty";
    if (path.size() > kMaxEntryPath) return "the path is longer than 259 characters";
    for (unsigned char c : path) {
        if (c < 0x20 || c == '/' || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*')
            return PathProblem(path, "holds a character Windows does not allow");
        if (c == ':') return PathProblem(path, "names a drive");
    }
    std::string problem;
    ForEachPathPart(path, [&](std::string_view part) {
        if (!problem.empty()) return;
        if (part.empty() || part == "." || part == "..")
            problem = PathProblem(path, "leads outside the medium");
        else if (part.back() == '.' || part.back() == ' ')
            problem = PathProblem(path, "has a name ending in a dot or blank");
        else if (IsDeviceName(part))
            problem = PathProblem(path, "names a device");
    });
    return problem;
}

ProgramLayout ReadProgramLayout(RandomAccess& file)
{
    const std::uint64_t fileSize = file.Size();
    constexpr char kNotProgram[] = "not a program";
    unsigned char dos[64];
    if (fileSize < sizeof dos) Fail(kNotProgram);
    file.ReadAt(0, dos, sizeof dos);
    if (dos[0] != 'M' || dos[1] != 'Z') Fail(kNotProgram);
    const std::uint64_t pe = Get32(dos + 0x3C);
    unsigned char head[24 + 240];
    if (pe + 24 > fileSize) Fail(kNotProgram);
    const std::size_t headSize = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof head, fileSize - pe));
    file.ReadAt(pe, head, headSize);
    if (head[0] != 'P' || head[1] != 'E' || head[2] || head[3]) Fail(kNotProgram);
    const unsigned sections = static_cast<unsigned>(Get16(head + 6));
    const unsigned optionalSize = static_cast<unsigned>(Get16(head + 20));
    if (sections == 0 || sections > 96 || optionalSize > sizeof head - 24 || 24 + optionalSize > headSize)
        Fail(kNotProgram);
    const unsigned char* opt = head + 24;
    const unsigned magic = static_cast<unsigned>(Get16(opt));
    unsigned directories;
    if (magic == 0x10B) directories = 96;
    else if (magic == 0x20B) directories = 112;
    else Fail(kNotProgram);

    ProgramLayout layout;
    if (optionalSize >= 64) layout.imageEnd = Get32(opt + 60); // SizeOfHeaders
    if (optionalSize >= directories && Get32(opt + directories - 4) > 4 && optionalSize >= directories + 40) {
        layout.securityEntry = pe + 24 + directories + 32;
        layout.certOffset = Get32(opt + directories + 32);
        layout.certSize = Get32(opt + directories + 36);
    }

    const std::uint64_t table = pe + 24 + optionalSize;
    if (table + 40ull * sections > fileSize) Fail(kNotProgram);
    for (unsigned i = 0; i < sections; ++i) {
        unsigned char s[40];
        file.ReadAt(table + 40ull * i, s, sizeof s);
        const std::uint64_t rawSize = Get32(s + 16), rawOffset = Get32(s + 20);
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
    if (layout.imageEnd > fileSize) Fail("the program is cut short");
    std::uint64_t end = fileSize;
    if (layout.certSize) {
        if (layout.certOffset < layout.imageEnd || layout.certOffset > fileSize ||
            layout.certSize > fileSize - layout.certOffset)
            Fail("the certificate table lies outside the file");
        end = layout.certOffset;
    }
    if (end == layout.imageEnd) return place;

    // A signer may pad to eight bytes after the trailer.
    unsigned char tail[kTrailerSize + 7];
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof tail, end - layout.imageEnd));
    if (tailSize < kTrailerSize) Fail("the file is cut short");
    file.ReadAt(end - tailSize, tail, tailSize);
    std::size_t pad = 0;
    while (pad + kTrailerSize < tailSize && tail[tailSize - 1 - pad] == 0) ++pad;
    for (;; --pad) {
        const unsigned char* t = tail + tailSize - pad - kTrailerSize;
        if (std::equal(std::begin(kTrailerMagic), std::end(kTrailerMagic), t)) break;
        if (pad == 0) Fail("the file is cut short");
    }
    const unsigned char* t = tail + tailSize - pad - kTrailerSize;
    Crc32 crc;
    crc.Update(t, kTrailerSize - 4);
    if (crc.Value() != Get32(t + 36)) Fail("the trailer is damaged");
    PayloadTrailer& trailer = place.trailer;
    trailer.version = static_cast<std::uint32_t>(Get32(t + 8));
    trailer.entries = static_cast<std::uint32_t>(Get32(t + 12));
    trailer.offset = Get64(t + 16);
    trailer.size = Get64(t + 24);
    trailer.crc = static_cast<std::uint32_t>(Get32(t + 32));
    if (trailer.version != kPayloadVersion)
        Fail("the medium inside has a format version this program does not read");
    const std::uint64_t trailerStart = end - pad - kTrailerSize;
    // Up to seven bytes of padding may lie between the payload and the trailer.
    if (trailer.offset < layout.imageEnd || trailer.offset > trailerStart ||
        trailer.size > trailerStart - trailer.offset || trailerStart - trailer.offset - trailer.size > 7)
        Fail("the trailer points outside the file");
    if (trailer.entries > kMaxEntries) Fail("the trailer claims too many files");
    place.present = true;
    return place;
}

namespace {

// The payload read in order, every byte through the CRC.
class PayloadStream {
public:
    PayloadStream(RandomAccess& file, const PayloadTrailer& trailer, PayloadProgress* progress, bool checksum)
        : file_(file), trailer_(trailer), buffer_(new unsigned char[kPayloadBuffer]), progress_(progress),
          checksum_(checksum)
    {
    }

    std::uint64_t Left() const { return trailer_.size - done_; }

    // The next n bytes of a header (n <= kPayloadBuffer), or EPayloadError when the payload ends first.
    const unsigned char* Take(std::size_t n)
    {
        if (n > Left()) Fail("the payload ends inside a file's header");
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
        if (checksum_) crc_.Update(p, n);
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
    bool checksum_;
    std::size_t pos_ = 0, end_ = 0;
    std::uint64_t done_ = 0, told_ = 0;
    Crc32 crc_;
};

} // namespace

std::uint32_t ReadPayload(RandomAccess& file, const PayloadPlace& place, PayloadSink* sink, PayloadProgress* progress,
                          bool checksum)
{
    PayloadStream in(file, place.trailer, progress, checksum);
    std::uint32_t count = 0;
    PayloadEntry entry;
    while (in.Left() > 0) {
        if (count++ == place.trailer.entries) break;
        const std::size_t length = static_cast<std::size_t>(Get16(in.Take(2)));
        if (length == 0 || length > kMaxEntryPath) Fail("a file's path is empty or too long");
        entry.path.assign(reinterpret_cast<const char*>(in.Take(length)), length);
        const unsigned char* numbers = in.Take(16);
        entry.size = Get64(numbers);
        entry.lastWrite = Get64(numbers + 8);
        if (std::string problem = EntryPathProblem(entry.path); !problem.empty()) throw EPayloadError(problem);
        if (entry.size > in.Left()) throw EPayloadError(PathProblem(entry.path, "runs past the payload"));
        if (sink) sink->Begin(entry);
        for (std::uint64_t left = entry.size; left > 0;) {
            std::size_t n = 0;
            const unsigned char* data = in.TakeSome(left, n);
            if (sink) sink->Write(data, n);
            left -= n;
        }
        if (sink) sink->End();
    }
    if (count != place.trailer.entries || in.Left() > 0) Fail("the payload holds another number of files than its trailer says");
    if (checksum && in.Crc() != place.trailer.crc) Fail("the payload's checksum does not match");
    return count;
}

} // namespace tarvex
