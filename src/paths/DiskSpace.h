#pragma once
// The destination page's space check: the free bytes on the drive of the
// chosen directory against GENERAL TotalSize.
#include <optional>
#include <string>

namespace tarvex {

// The text of the box shown when the destination drive is too small.
std::string NotEnoughSpaceMessage(const std::string& root, long double totalSize, double freeSpace,
                                  char decimalSeparator);

// That text when the drive of directory (its first three characters) has
// less free space than totalSize; none when it has room or its free space
// cannot be told.
std::optional<std::string> DiskSpaceShortfall(const std::string& directory, long double totalSize);

} // namespace tarvex
