#pragma once

#include "guiding/GuidingEvents.h"

#include <string>

namespace nuvix {

// Pieces of the guide log's text, the same in every section.

// Fixed decimals with a point whatever the desktop's locale; never "-0.000".
std::string Fixed(double value, int decimals);
// The local date and time as the section lines give it, "2026-12-07 21:30:00".
std::string LogDate();
// "Camera = ...", "Exposure = ... ms", the scale line and, when the mount reports it, the
// "RA = ... hr, Dec = ... deg, Hour angle = ... hr, Pier side = ..." line.
std::string SetupLines(const GuidingSetup& setup);

}  // namespace nuvix
