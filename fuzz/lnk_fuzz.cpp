// libFuzzer target: the .LNK writer on arbitrary texts. What it writes must
// read back, through the reader the tests use on the shell's own links, as
// the texts it was given.
#include "common/LnkFile.h"
#include "formats/LnkWriter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <exception>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

// A text as the reader gives it back: stored as UTF-16 from Windows-1252, at
// most 65,535 characters, read with '?' for characters above U+00FF (all of
// 0x80..0x9F but the five bytes Windows-1252 leaves undefined), and without
// trailing zeros.
std::string AsRead(std::string text)
{
    if (text.size() > 0xFFFF) text.resize(0xFFFF);
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0 && byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 &&
            byte != 0x9D)
            c = '?';
    }
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    tarvex::LnkContents link;
    link.target = in.ConsumeRandomLengthString();
    link.description = in.ConsumeRandomLengthString();
    link.workingDirectory = in.ConsumeRandomLengthString();
    link.arguments = in.ConsumeRemainingBytesAsString();
    // The target's ID list has a 16-bit size, which a path of thousands of
    // one-letter folders overflows; real targets are a profile value (at
    // most 1,024 bytes) with its tokens expanded.
    if (link.target.size() > 4096) return 0;

    const std::string bytes = tarvex::LnkBytes(link);
    tarvex::test::LnkFields read;
    try {
        read = tarvex::test::ParseLnk(bytes);
    } catch (const std::exception&) {
        std::abort();
    }
    Require(read.localPath == link.target.substr(0, link.target.find('\0')));
    Require(read.description == AsRead(link.description));
    Require(read.arguments == AsRead(link.arguments));
    Require(read.workingDirectory.has_value() == !link.workingDirectory.empty());
    if (read.workingDirectory) Require(*read.workingDirectory == AsRead(link.workingDirectory));
    return 0;
}
