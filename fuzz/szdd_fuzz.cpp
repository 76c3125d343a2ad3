// libFuzzer target: the SZDD expander on arbitrary bytes, read in uneven
// pieces. It must return the declared length or throw SzddError.
#include "formats/SzddExpander.h"
#include "formats/SzddFormat.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

class FuzzSource : public tarvex::ByteSource {
public:
    FuzzSource(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Read(unsigned char* buffer, std::size_t want) override
    {
        // Piece sizes vary with the data so that refills land everywhere.
        std::size_t piece = 1 + (pos_ < size_ ? data_[pos_] : 0) * 37u;
        std::size_t n = std::min({want, piece, size_ - pos_});
        std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return n;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class CountingSink : public tarvex::ByteSink {
public:
    void Write(const unsigned char* data, std::size_t size) override
    {
        for (std::size_t i = 0; i < size; i += 4096) checksum += data[i];
        total += size;
    }
    std::uint64_t total = 0;
    unsigned checksum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    using namespace tarvex;
    // Keep declared lengths small enough to expand quickly.
    SzddHeader header = ParseSzddHeader(data, size);
    if (header.kind == SzddKind::Compressed && header.length > (1u << 22)) return 0;
    FuzzSource source(data, size);
    CountingSink sink;
    try {
        std::uint64_t written = ExpandSzdd(source, sink);
        if (written != sink.total) std::abort();
        if (header.kind == SzddKind::Compressed && written != header.length) std::abort();
        if (header.kind == SzddKind::Plain && written != size) std::abort();
    } catch (const SzddError&) {
    }
    return 0;
}
