#pragma once
// The wizard's page order: GENERAL Route, one page code per character.
// Read here once for the wizard, for tarvex install and for tarvex check.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvex {

enum PageCode : std::int16_t { pcLicense, pcReadMe, pcDirectory, pcStartMenu, pcSummary, pcInstall, pcNone = -1 };

// What the wizard says at a step that has no page.
extern const char kRouteError[];

// The code at step (1-based): the character's digit value, pcNone past the
// end. A character that is not a digit fails as the number conversion does,
// "'X' is not a valid integer value".
std::int16_t RoutePageCode(std::string_view route, std::size_t step);

// The pages the wizard shows up to and including its installation page.
// Throws the wizard's own message for the first step on the way without a
// page; a route that ends before it installs gets kRouteError too, since
// the wizard can never install from it.
std::vector<std::int16_t> PagesToInstall(std::string_view route);

} // namespace tarvex
