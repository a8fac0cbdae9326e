#pragma once

#include "guiding/Corrections.h"

#include <string>

namespace nuvix {

// Which DEC corrections go out: none, both ways, or one way only (a mount with DEC backlash is
// often guided one way). The guider's clients choose it; the observer's outputs all obey it.
enum class DecGuideMode { Off, Auto, North, South };

// What an imaging program may switch on the guider's outputs. The default lets every
// correction through, so that the outputs' bytes are the system's own.
struct GuideOutputPolicy {
    bool outputEnabled = true;
    DecGuideMode decMode = DecGuideMode::Auto;
};

// The correction that actually goes out on `axis`, for an error of `error` pixels after the
// inversion flags: the computed one, or a correction of length 0 when the policy holds it back
// (output disabled, DEC off, or DEC the other way than the mode allows). The length 0 keeps
// every output's pattern: the serial protocol still sends its command and closing bytes.
AxisCorrection AllowedCorrection(Axis axis, const AxisCorrection& computed, int32_t error,
                                 const GuideOutputPolicy& policy);

// The protocol's names: "Off", "Auto", "North", "South"; false for anything else.
const char* DecGuideModeName(DecGuideMode mode);
bool ParseDecGuideMode(const std::string& name, DecGuideMode& mode);

}  // namespace nuvix
