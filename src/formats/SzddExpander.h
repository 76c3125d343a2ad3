#pragma once
// Our SZDD expander: a streaming decoder over byte sources and sinks, with
// no file system access, so that tests and fuzzing can run it on memory.
#include "base/Exception.h"

#include <cstddef>
#include <cstdint>

namespace tarvex {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to size bytes into buffer; 0 only at the end. Throws on a read error.
    virtual std::size_t Read(unsigned char* buffer, std::size_t size) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // All size bytes, or throws.
    virtual void Write(const unsigned char* data, std::size_t size) = 0;
};

// Damaged or truncated compressed data.
class SzddError : public Exception {
public:
    explicit SzddError(std::string message) : Exception(std::move(message)) {}
};

// Reads everything from in and writes it to out, expanded when it starts
// with an SZDD header, unchanged otherwise. Exactly the header's length is
// written; data beyond it is ignored. Returns the number of bytes written.
std::uint64_t ExpandSzdd(ByteSource& in, ByteSink& out);

} // namespace tarvex
