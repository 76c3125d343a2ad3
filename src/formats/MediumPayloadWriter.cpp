#include "formats/MediumPayload.h"

// The writing half, which only the tool links.
namespace tarvex {

namespace {

void Put(std::string& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

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

} // namespace tarvex
