#pragma once

#include "guiding/GuideOutputPolicy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nuvix::server {

// When guiding counts as settled after a `guide` or a `dither`: within `pixels` of the
// reference for `time` seconds, given up after `timeout` seconds.
struct SettleParams {
    double pixels = 1.5;
    double time = 10.0;
    double timeout = 60.0;
};

struct Position {
    double x = 0.0;
    double y = 0.0;
};

// Done, or the reason why not, which the client reads in the error reply.
struct Outcome {
    std::string error;  // empty: done
    bool Done() const { return error.empty(); }
};
inline Outcome Refused(std::string why)
{
    return {std::move(why)};
}

template <typename T>
struct Answer {
    std::optional<T> value;
    std::string error;  // why there is no value
};

// The picture around the guide star: 16 bits per pixel, rows from the top.
struct StarImage {
    int frame = 0;
    int width = 0;
    int height = 0;
    Position star;  // within the picture
    std::vector<uint16_t> pixels;
};

struct Device {
    std::string name;
    bool connected = false;
};

struct Equipment {
    Device camera;
    Device mount;
};

// The seam between the guiding server and the program: what a client may ask, answered by the
// program doing what the observer's buttons do. Every call comes from the window thread.
class GuiderCommands {
public:
    virtual ~GuiderCommands() = default;

    virtual std::string AppState() = 0;
    virtual bool Connected() = 0;
    virtual Outcome SetConnected(bool connect) = 0;
    virtual Equipment CurrentEquipment() = 0;
    virtual std::string ProfileName() = 0;

    virtual double PixelScale() = 0;
    virtual int ExposureMs() = 0;
    virtual Outcome SetExposureMs(int ms) = 0;
    virtual std::vector<int> ExposureDurations() = 0;

    virtual Outcome Loop() = 0;
    virtual Outcome StopCapture() = 0;
    virtual Answer<Position> FindStar() = 0;
    virtual Outcome Guide(const SettleParams& settle, bool recalibrate) = 0;
    virtual Outcome Dither(double amount, bool raOnly, const SettleParams& settle) = 0;
    virtual bool Settling() = 0;
    virtual bool Paused() = 0;
    // `full`: the protocol's "full" pause, which would also stop the exposures.
    virtual Outcome SetPaused(bool paused, bool full) = 0;
    virtual std::optional<Position> LockPosition() = 0;
    virtual Outcome SetLockPosition(Position at, bool exact) = 0;

    virtual bool Calibrated() = 0;
    virtual Outcome ClearCalibration(const std::string& which) = 0;
    virtual bool GuideOutputEnabled() = 0;
    virtual Outcome SetGuideOutputEnabled(bool enabled) = 0;
    virtual DecGuideMode GetDecGuideMode() = 0;
    virtual Outcome SetDecGuideMode(DecGuideMode mode) = 0;

    virtual Answer<StarImage> GetStarImage(int size) = 0;
    virtual Answer<std::string> SaveImage() = 0;
    virtual Outcome CaptureSingleFrame(std::optional<int> exposureMs) = 0;
    virtual Outcome Shutdown() = 0;
};

}  // namespace nuvix::server
