#pragma once
// The output of tarvex check, also printed by tarvex pack.
#include "authoring/MediumCheck.h"

#include <string>

namespace tarvex::tool {

// One line per problem ("Setup.INI:12: error: [FILES] 3: message") and a
// closing count.
std::string ReportText(const MediumReport& report);

// The report as one JSON object (the shape is in docs/packaging.md).
std::string ReportJson(const MediumReport& report, const std::string& medium);

// Runs the check with the wizard's defaults of a fresh machine where the
// build has no real one (natively: a temporary machine root, or root when
// given).
MediumReport CheckWithDefaults(const std::string& medium, const std::string& root = "");

} // namespace tarvex::tool
