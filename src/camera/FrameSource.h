#pragma once

#include "camera/CameraImage.h"
#include "camera/CameraSettings.h"
#include "image/FrameGeometry.h"

#include <string>

namespace nuvix {

// What one look at the camera gave.
enum class FrameArrival {
    Arrived,  // a whole frame is in the target
    NotYet,   // the camera is working on it: the target is untouched, the next step looks again
    Lost,     // the camera stopped answering: the target may hold a partial picture
};

// The camera's first-tick message: what was found, and where.
struct CameraGreeting {
    std::string text;
    std::string caption;
};

// What the guiding tells of the frames it works from (the guide log's "Camera" and "Exposure").
struct AcquisitionFacts {
    std::string camera;
    float exposureMs = 0.0f;  // the latest frame's
};

// Where the acquisition step takes its frames: the parallel-port camera, or a camera served by
// other means. Every call comes from the window thread; none waits longer than the camera's
// own answer bound.
class FrameSource {
public:
    virtual ~FrameSource() = default;

    // At the image window's construction: whether there is a camera to acquire from.
    virtual bool Detect() = 0;
    virtual CameraGreeting Greeting() const = 0;
    // The camera's name, for the pictures' headers and the guide log.
    virtual std::string Name() const = 0;
    // The settings the next frame is exposed with; false when the camera did not take them.
    virtual bool UploadSettings(const CameraSettings& settings) = 0;
    // One frame, 0-63 per pixel in bitmap order, into `target`. `exposureMs` is the exposure the
    // panel shows for this step, for a camera that is told its exposure as a time.
    virtual FrameArrival ReadFrame(float exposureMs, FrameBytes& target) = 0;
    // The last frame read as the camera gave it, before the mapping to six bits, for a camera that
    // has more; null for one that has not.
    virtual const LinearFrame* LinearPicture() const { return nullptr; }
    // Ends the step's exchange with the camera.
    virtual void PulseReset() = 0;
    // After a loss, before a step is tried again: whether the camera answers, found out within a
    // few milliseconds so that a camera still away never holds the window.
    virtual bool AnswersAgain() = 0;
    // The picture behind the latest frame at the camera's own depth, binned and cropped as the
    // frame; null for a camera whose frames are its own six-bit levels.
    virtual const CameraPicture* LatestPicture() const { return nullptr; }
};

}  // namespace nuvix
