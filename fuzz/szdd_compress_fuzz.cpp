// libFuzzer target: the SZDD compressor's round trip. Whatever it compresses
// must expand to the same bytes, with the header's length and last
// character, and never grow beyond a literal per byte and a flag byte per
// eight.
#include "formats/SzddCompressor.h"
#include "formats/SzddExpander.h"
#include "formats/SzddFormat.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

class MemorySource : public tarvex::ByteSource {
public:
    explicit MemorySource(const std::string& bytes) : bytes_(bytes) {}
    std::size_t Read(unsigned char* buffer, std::size_t want) override
    {
        const std::size_t n = std::min(want, bytes_.size() - pos_);
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    const std::string& bytes_;
    std::size_t pos_ = 0;
};

class MemorySink : public tarvex::ByteSink {
public:
    void Write(const unsigned char* data, std::size_t size) override
    {
        bytes.append(reinterpret_cast<const char*>(data), size);
    }
    std::string bytes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (size == 0) return 0;
    // The first byte is the header's last character, the rest the data.
    const char lastChar = static_cast<char>(data[0]);
    const std::string plain(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string packed = tarvex::CompressSzdd(plain, lastChar);
    Require(packed.size() <= tarvex::kSzddHeaderSize + plain.size() + plain.size() / 8 + 1);
    const tarvex::SzddHeader header =
        tarvex::ParseSzddHeader(reinterpret_cast<const unsigned char*>(packed.data()), packed.size());
    Require(header.kind == tarvex::SzddKind::Compressed && header.length == plain.size());
    Require(packed[9] == lastChar);

    MemorySource source(packed);
    MemorySink sink;
    Require(tarvex::ExpandSzdd(source, sink) == plain.size());
    Require(sink.bytes == plain);
    return 0;
}
