#pragma once
// The medium a one-file setup.exe carries after its image: verified, then
// laid out in a private folder under the temporary folder, which goes when
// its owner goes.
#include "base/Exception.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvex {

// The carried medium cannot be used: the download is damaged or cut short.
class EMediumDamaged : public Exception {
public:
    explicit EMediumDamaged(std::string message) : Exception(std::move(message)) {}
};

class TEmbeddedMedium {
public:
    // Told the bytes read so far, twice over the payload: to verify, to extract.
    class Progress {
    public:
        virtual ~Progress() = default;
        virtual void Advance(std::uint64_t done, std::uint64_t total) = 0;
    };

    // Looks for the medium in program. Throws EMediumDamaged when something
    // follows the image that is no whole medium; a program that cannot be
    // read carries none.
    explicit TEmbeddedMedium(const std::string& program);
    // Removes every file and folder Extract made.
    ~TEmbeddedMedium();
    TEmbeddedMedium(const TEmbeddedMedium&) = delete;
    TEmbeddedMedium& operator=(const TEmbeddedMedium&) = delete;

    bool Present() const;
    std::uint64_t Size() const; // of the payload

    // Verifies the whole payload (EMediumDamaged, nothing written), then
    // writes it into a new folder. A failure while writing throws the
    // platform's exception; what was written goes with this object.
    void Extract(Progress* progress = nullptr);

    // The folder holding the medium, ending with a backslash; empty before Extract.
    const std::string& Directory() const { return directory_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    std::string directory_;
    std::vector<std::string> files_, folders_; // made, in order
    friend class EmbeddedSink;
};

} // namespace tarvex
