#pragma once
// Our SZDD compressor: the format the LZ expansion library reads (LZSS over
// a 4 KiB window that starts out filled with blanks, method 'A').
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarvex {

// The compressed form of data: the 14-byte header (magic, 'A', lastChar,
// the length) and the token stream. The parse takes the longest match that
// bounded hash-chain walks find, but emits a literal first when the next
// position has a longer one: a few per cent smaller than mscompress's
// output in a small part of its time. Throws Exception for data of 4 GiB
// or more.
std::string CompressSzdd(std::string_view data, char lastChar = 0);

// Gives up to `most` bytes into `into`; the count given (0 at the end).
using SzddSource = std::function<std::size_t(char* into, std::size_t most)>;
using SzddSink = std::function<void(const char* bytes, std::size_t count)>;

// The same from a stream of `size` bytes, the output handed on in pieces:
// memory stays near a megabyte per processor whatever the size. Throws
// Exception when the source ends early.
void CompressSzdd(std::uint64_t size, const SzddSource& read, const SzddSink& write, char lastChar = 0);


// The medium name of a compressed file, in the style of the Windows
// compress tool: the last character of a three-or-more-character extension
// becomes '_' (demo.exe -> demo.ex_), a shorter extension gets '_' appended
// (a.c -> a.c_), a name without one gets "._".
std::string CompressedName(std::string_view fileName);

// The character CompressedName replaced, for the header; 0 when it appended.
char ReplacedChar(std::string_view fileName);

} // namespace tarvex
