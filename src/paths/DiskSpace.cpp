#include "paths/DiskSpace.h"

#include "paths/SystemFolders.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "setup_description/DecimalText.h"

namespace tarvex {

namespace {
constexpr char kNotEnoughSpace[] = "You do not have enough space on drive:";
constexpr char kApplicationSize[] = "Application Size: ";
constexpr char kFreeSpace[] = "       Free space: ";
} // namespace

std::string NotEnoughSpaceMessage(const std::string& root, long double totalSize, double freeSpace,
                                  char decimalSeparator)
{
    return kNotEnoughSpace + root + '\r' + kApplicationSize + FloatToStr(totalSize, decimalSeparator) + '\r' +
           kFreeSpace + FloatToStr(freeSpace, decimalSeparator);
}

std::optional<std::string> DiskSpaceShortfall(const std::string& directory, long double totalSize)
{
    std::string root = directory.substr(0, 3);
    double free = GetFreeSpace(root);
    if (free < 0) return std::nullopt; // unknown: not our business to stop the user
    if (free < totalSize) return NotEnoughSpaceMessage(root, totalSize, free, platform::DecimalSeparator());
    return std::nullopt;
}

} // namespace tarvex
