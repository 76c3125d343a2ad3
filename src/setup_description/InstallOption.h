#pragma once
// The user's four choices; the install engine derives from it.
#include <string>

namespace tarvex {

class TInstallOption {
public:
    virtual ~TInstallOption() = default;

    std::string Directory;    // base destination directory, expanded
    std::string StartMenu;    // base Start Menu folder, expanded
    std::string NewDirectory; // the product's directory under Directory
    std::string NewMenu;      // the program group under StartMenu
};

// The standing answer to the overwrite question.
enum class TOverwriteMode : unsigned char { omYes = 0, omNo = 1, omYesToAll = 2, omNoToAll = 3 };

} // namespace tarvex
