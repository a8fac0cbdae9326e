#include "guiding/GuidingEvents.h"

namespace nuvix {

const char* PierSideName(PierSide side)
{
    switch (side) {
    case PierSide::East:
        return "East";
    case PierSide::West:
        return "West";
    case PierSide::Unknown:
        break;
    }
    return "Unknown";
}

const char* LegName(CalibrationLeg leg)
{
    switch (leg) {
    case CalibrationLeg::West:
        return "West";
    case CalibrationLeg::East:
        return "East";
    case CalibrationLeg::Backlash:
        return "Backlash";
    case CalibrationLeg::North:
        return "North";
    case CalibrationLeg::South:
        return "South";
    }
    return "";
}

}  // namespace nuvix
