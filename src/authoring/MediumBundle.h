#pragma once
// One-file installers: a medium folder carried inside setup.exe, and back.
#include "formats/MediumPayload.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

struct BundleResult {
    std::uint64_t programSize = 0; // setup.exe's image, its certificate table dropped
    std::uint64_t payloadSize = 0;
    std::uint64_t totalSize = 0;
    std::vector<PayloadEntry> entries;
};

// Writes output: setupExe's image, then every file of mediumDir (but its
// setup.exe), then the trailer. A certificate table of setupExe is dropped:
// the bundle is signed as a whole. Files pass through a fixed buffer. Throws
// Exception; output is not left behind when writing fails.
BundleResult WriteBundle(const std::string& mediumDir, const std::string& setupExe, const std::string& output);

// The entries of the medium inside bundle, its payload verified. Throws
// EPayloadError "PATH carries no medium" for a plain program and
// "PATH: the medium inside is damaged: WHY" for a damaged one.
std::vector<PayloadEntry> ListBundle(const std::string& bundle);

// The medium written back into dir (missing or empty): its files with their
// dates, and setup.exe as carried. The payload is verified first, so a
// damaged one writes nothing; a failure while writing removes what was
// written.
std::vector<PayloadEntry> Unbundle(const std::string& bundle, const std::string& dir);

} // namespace tarvex
