#pragma once

#include "guiding/GuideSettings.h"

#include <deque>

namespace nuvix {

// Each axis's guide algorithm turns the star's offset along the axis (pixels, measured from the
// lock position) into the offset a pulse should take away: 0 for none, otherwise a value of the
// offset's sign whose size is what the pulse should move the star back by.

// RA: the offset blended with the previous correction, times the aggressiveness. Offsets under
// the minimum move are left alone, and the next correction then blends with none.
class HysteresisGuide {
public:
    explicit HysteresisGuide(const RaGuideSettings& settings) : settings_(settings) {}
    double Correction(double offset);
    void Reset() { previous_ = 0.0; }

private:
    RaGuideSettings settings_;
    double previous_ = 0.0;
};

// DEC: corrections only toward the side the offset has kept for the last `resistFrames` frames,
// each beyond the minimum move; until the offset has held the other side as long, an offset
// there is left alone.
class ResistSwitchGuide {
public:
    explicit ResistSwitchGuide(const DecGuideSettings& settings) : settings_(settings) {}
    double Correction(double offset);
    void Reset();

private:
    DecGuideSettings settings_;
    std::deque<int> sides_;  // of the latest offsets: +1, -1, or 0 under the minimum move
    int side_ = 0;           // the side corrected, 0 before any
};

}  // namespace nuvix
