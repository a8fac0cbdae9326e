#include "guiding/GuideOutputPolicy.h"

namespace nuvix {

AxisCorrection AllowedCorrection(Axis axis, const AxisCorrection& computed, int32_t error,
                                 const GuideOutputPolicy& policy)
{
    bool allowed = policy.outputEnabled;
    if (allowed && axis == Axis::Dec) {
        const GuideDirection way = PulseFor(axis, computed, error).direction;
        switch (policy.decMode) {
        case DecGuideMode::Off:
            allowed = false;
            break;
        case DecGuideMode::Auto:
            break;
        case DecGuideMode::North:
            allowed = way == GuideDirection::North;
            break;
        case DecGuideMode::South:
            allowed = way == GuideDirection::South;
            break;
        }
    }
    if (allowed) return computed;
    AxisCorrection held = computed;
    held.pulseCode = 0;
    held.saturated = false;
    return held;
}

const char* DecGuideModeName(DecGuideMode mode)
{
    switch (mode) {
    case DecGuideMode::Off:
        return "Off";
    case DecGuideMode::Auto:
        return "Auto";
    case DecGuideMode::North:
        return "North";
    case DecGuideMode::South:
        return "South";
    }
    return "Auto";
}

bool ParseDecGuideMode(const std::string& name, DecGuideMode& mode)
{
    for (const DecGuideMode m : {DecGuideMode::Off, DecGuideMode::Auto, DecGuideMode::North, DecGuideMode::South}) {
        if (name == DecGuideModeName(m)) {
            mode = m;
            return true;
        }
    }
    return false;
}

}  // namespace nuvix
