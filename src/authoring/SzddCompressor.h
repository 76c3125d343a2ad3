#pragma once
// Our SZDD compressor: the format the LZ expansion library reads (LZSS over
// a 4 KiB window that starts out filled with blanks, method 'A').
#include <string>
#include <string_view>

namespace tarvex {

// The compressed form of data: the 14-byte header (magic, 'A', lastChar,
// the length) and the token stream. The parse is optimal for the format's
// costs (9 bits a literal, 17 a match) over the longest match found at each
// position. Throws Exception for data of 4 GiB or more.
std::string CompressSzdd(std::string_view data, char lastChar = 0);

// The medium name of a compressed file, in the style of the Windows
// compress tool: the last character of a three-or-more-character extension
// becomes '_' (demo.exe -> demo.ex_), a shorter extension gets '_' appended
// (a.c -> a.c_), a name without one gets "._".
std::string CompressedName(std::string_view fileName);

// The character CompressedName replaced, for the header; 0 when it appended.
char ReplacedChar(std::string_view fileName);

} // namespace tarvex
