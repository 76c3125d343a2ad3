#include "tools/tarvex/Arguments.h"

#include "tools/tarvex/Commands.h"

namespace tarvex::tool {

namespace {

struct Assign {
    const std::string& value;
    void operator()(bool* flag) const { *flag = true; }
    void operator()(std::string* text) const { *text = value; }
    void operator()(std::optional<std::string>* text) const { *text = value; }
    void operator()(std::vector<std::string>* list) const { list->push_back(value); }
};

} // namespace

std::optional<int> ParseArguments(const std::string& command, const std::vector<std::string>& args,
                                  std::initializer_list<Option> options, std::vector<std::string>& words,
                                  std::size_t minWords, std::size_t maxWords)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.rfind("--", 0) != 0) {
            if (optionsEnded || a != "-h") {
                words.push_back(a);
                continue;
            }
        }
        if (a == "--help" || a == "-h") return HelpFor(command);
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        const Option* option = nullptr;
        for (const Option& o : options)
            if (a == o.name) option = &o;
        if (option == nullptr) return UsageError();
        if (std::holds_alternative<bool*>(option->target)) {
            *std::get<bool*>(option->target) = true;
            continue;
        }
        if (i + 1 >= args.size()) return UsageError();
        std::visit(Assign{args[++i]}, option->target);
    }
    if (words.size() < minWords || words.size() > maxWords) return UsageError();
    return std::nullopt;
}

} // namespace tarvex::tool
