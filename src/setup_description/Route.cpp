#include "setup_description/Route.h"

#include "base/Exception.h"

#include <string>

namespace tarvex {

const char kRouteError[] = "Error in Setup.ini.  Setup will terminate";

namespace {
constexpr char kNotInteger[] = "' is not a valid integer value";
}

std::int16_t RoutePageCode(std::string_view route, std::size_t step)
{
    if (step < 1 || step > route.size()) return pcNone;
    char c = route[step - 1];
    if (c < '0' || c > '9') throw Exception("'" + std::string(1, c) + kNotInteger);
    return static_cast<std::int16_t>(c - '0');
}

std::vector<std::int16_t> PagesToInstall(std::string_view route)
{
    std::vector<std::int16_t> pages;
    for (std::size_t step = 1;; ++step) {
        std::int16_t code = RoutePageCode(route, step);
        if (code < pcLicense || code > pcInstall) throw Exception(kRouteError);
        pages.push_back(code);
        if (code == pcInstall) return pages;
    }
}

} // namespace tarvex
