#pragma once
// Builds an installation medium from a folder of product files: the files
// compressed, Setup.INI written, the texts and setup.exe put beside them.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvex {

struct PackOptions {
    std::string sourceTree;   // the product's files as installed under %APPPATH
    std::string medium;       // created; must be empty when it exists
    std::string title;
    std::string mainProgram;  // path in the tree; empty: the one top-level .exe, if there is one
    std::string license;      // text files to show; empty: a generated text
    std::string readme;
    std::string setupProgram; // copied in as setup.exe; empty: none
    std::string uninstaller;  // installed as ridsetup.exe; empty: only one from the tree
    std::string directory = "%PROGRAMFILES";
    std::string newDirectory; // empty: the title
    std::string startMenu = "%PROGRAMDIR";
    std::string newMenu;      // empty: the title
    std::string route = "012345";
    std::optional<std::string> run;            // default: the main program
    std::optional<std::string> runDescription; // default: the title
    std::vector<std::string> registry;         // REGISTRY lines ROOT,PATH,DATA
};

struct PackedFile {
    std::string installName; // path under the product folder, backslashes
    std::string mediumName;  // path on the medium
    std::uintmax_t size = 0;
    std::uintmax_t stored = 0;
};

struct PackResult {
    std::vector<PackedFile> files;
    std::string mainProgram; // empty when there is none
    long double totalSize = 0;
    std::vector<std::string> notes; // defaults the packager may want to replace, what was left out
    bool kept = true;               // false: the medium was refused and not written
};

// Judges the finished medium in the folder given; false refuses it.
using MediumAcceptor = std::function<bool(const std::string& medium)>;

// The medium is laid out in a folder beside options.medium and moved into
// its place once accept (when given) takes it; nothing is left behind when
// it is refused or packing fails. Files pass through a fixed buffer, so
// memory does not grow with their size. Throws Exception naming the
// problems: every name Setup.INI cannot hold, link that leads nowhere and
// file too large, in one message; a medium folder in use; a missing input.
PackResult PackMedium(const PackOptions& options, const MediumAcceptor& accept = {});

} // namespace tarvex
