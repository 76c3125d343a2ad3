#pragma once
// The one reading of a command's arguments. A command lists its options in a
// table and gets its words back:
//
//     bool json = false;
//     std::string root;
//     std::vector<std::string> words;
//     if (auto exit = ParseArguments("check", args, {{"--json", &json}, {"--root", &root}}, words, 1, 1))
//         return *exit;
//
// An option is a word starting with "--"; one given a text takes the next
// word as it is (also when that starts with "--"); given again, the last
// counts, except for a list, which collects every one. "--" ends the
// options. "--help" or "-h" prints the command's usage on stdout.
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tarvex::tool {

struct Option {
    const char* name;
    // A switch, a text (optional: a text told apart from none given), or
    // a list of texts.
    std::variant<bool*, std::string*, std::optional<std::string>*, std::vector<std::string>*> target;
};

// Nothing when the command goes on; else its exit code, its output written:
// 0 after help, 2 after a usage error (an unknown option, one without its
// text, fewer than minWords or more than maxWords other words).
std::optional<int> ParseArguments(const std::string& command, const std::vector<std::string>& args,
                                  std::initializer_list<Option> options, std::vector<std::string>& words,
                                  std::size_t minWords, std::size_t maxWords);

} // namespace tarvex::tool
