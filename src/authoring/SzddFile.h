#pragma once
// The compressor over files: what the tool and pack compress a medium file with.
#include <cstdint>
#include <string>

namespace tarvex {

// Compresses the file source into dest (created, or replaced once whole),
// through the streaming compressor; returns the compressed size. Throws Exception
// "Cannot compress SOURCE: WHY" for a folder, a FIFO or device, a file of
// 4 GiB or more (all told before the file is opened) or a file that
// changes while read; "Cannot create file DEST" and the like for dest.
std::uint64_t CompressSzddFile(const std::string& source, const std::string& dest, char lastChar = 0);

} // namespace tarvex
