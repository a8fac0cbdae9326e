#include "platform/indi/IndiCamera.h"

#include "platform/indi/IndiConnection.h"

#include <cmath>
#include <utility>

namespace nuvix::indi {

namespace {
// A server has announced its devices well within this; after it, a missing camera is lost.
constexpr auto kCameraGrace = std::chrono::seconds(5);

std::chrono::steady_clock::duration Milliseconds(float ms)
{
    return std::chrono::microseconds(static_cast<int64_t>(std::isfinite(ms) && ms > 0.0f ? ms * 1000.0f : 0.0f));
}
}  // namespace

IndiCamera::IndiCamera(LinkShared& shared, std::string device, std::string server)
    : shared_(shared), device_(std::move(device)), server_(std::move(server))
{
}

bool IndiCamera::UploadSettings(const CameraSettings& settings)
{
    settings_ = settings;
    return true;
}

FrameArrival IndiCamera::ReadFrame(float exposureMs, FrameBytes& target)
{
    const LinkTime now = std::chrono::steady_clock::now();
    bool fresh = false;
    State state = State::Starting;
    uint64_t readiness = 0;
    {
        const std::lock_guard lock(shared_.mutex);
        wantedMs_ = exposureMs;
        shared_.changed = true;
        shared_.wake.notify_all();
        if (shared_.pictures != taken_) {
            std::swap(picture_, shared_.picture);
            taken_ = shared_.pictures;
            fresh = true;
        }
        state = state_;
        readiness = readiness_;
    }
    if (fresh) {
        MapToFrame(picture_.frame, settings_, target);
        waitingSince_.reset();
        return FrameArrival::Arrived;
    }
    if (state == State::Starting) return FrameArrival::NotYet;
    if (state == State::Away) return FrameArrival::Lost;
    // Ready: the wait for a picture counts from the first step that found none, or from the
    // camera's coming back.
    if (!waitingSince_ || readiness != readinessSeen_) waitingSince_ = now;
    readinessSeen_ = readiness;
    if (now - *waitingSince_ > Milliseconds(exposureMs) + kPictureGrace) return FrameArrival::Lost;
    return FrameArrival::NotYet;
}

void IndiCamera::Enter(State state)
{
    if (state == State::Ready && state_ != State::Ready) ++readiness_;
    state_ = state;
}

void IndiCamera::Opened(LinkTime now)
{
    grace_ = now + kCameraGrace;
    picturesAsked_ = false;
    connectAsked_ = false;
    prepared_ = false;
    framed_ = false;
    exposing_ = false;
}

void IndiCamera::ServerGone(ServerProblem problem)
{
    (void)problem;  // the camera's loss is told as a camera's
    Enter(State::Away);
}

Sending IndiCamera::Prepare(const DeviceFacts& device)
{
    const CameraFacts camera = device.camera;
    const bool connect = !device.connected && !connectAsked_;
    connectAsked_ = connectAsked_ || connect;
    // Once connected: the pictures as plain FITS, sent to this client...
    const bool format = device.connected && camera.exposure && !prepared_;
    prepared_ = prepared_ || format;
    // ...and binned and framed on the camera as soon as its sensor's size is known.
    const std::optional<CameraRegion> region = device.connected && !framed_ ? RegionFor(camera) : std::nullopt;
    framed_ = framed_ || region.has_value();
    if (!connect && !format && !region) return {};
    return [name = device_, camera, connect, format, region](IndiConnection& connection) {
        if (connect) connection.ConnectDevice(name);
        if (format && camera.fitsOffered && !camera.fitsChosen) {
            connection.SwitchOn(name, "CCD_TRANSFER_FORMAT", "FORMAT_FITS");
        }
        if (format && camera.compressed) connection.SwitchOn(name, "CCD_COMPRESSION", "INDI_DISABLED");
        if (format && camera.uploadLocalOnly) connection.SwitchOn(name, "UPLOAD_MODE", "UPLOAD_CLIENT");
        if (region && camera.largestBin > 1) {
            connection.SendNumbers(name, "CCD_BINNING", {{"HOR_BIN", region->bin}, {"VER_BIN", region->bin}});
        }
        if (region && camera.frame) {
            connection.SendNumbers(
                name, "CCD_FRAME",
                {{"X", region->x}, {"Y", region->y}, {"WIDTH", region->width}, {"HEIGHT", region->height}});
        }
    };
}

Sending IndiCamera::Plan(LinkTime now)
{
    const DeviceFacts* device = shared_.devices.Get(device_);
    std::vector<Sending> sendings;
    if (device && !picturesAsked_) {
        picturesAsked_ = true;
        sendings.push_back([name = device_](IndiConnection& connection) { connection.ReceivePictures(name); });
    }
    if (device) {
        if (Sending prepare = Prepare(*device)) sendings.push_back(std::move(prepare));
    }
    const bool ready = device && device->connected && device->camera.exposure && prepared_;
    if (ready) {
        Enter(State::Ready);
    } else if (state_ == State::Ready || now > grace_) {
        Enter(State::Away);
    }

    if (exposing_) {
        // Over when its picture came (readable or not), when the driver gave it up, or when it is
        // overdue: the next one is asked for.
        const bool over = shared_.pictures != picturesBefore_ || shared_.unreadable != unreadableBefore_ ||
                          (device && device->camera.exposureFailures != failuresBefore_) || now > overdue_;
        exposing_ = !over;
    }
    if (ready && !exposing_ && wantedMs_) {
        const double seconds = ExposureSeconds(*wantedMs_, device->camera);
        wantedMs_.reset();
        exposing_ = true;
        overdue_ = now + Milliseconds(static_cast<float>(seconds * 1000.0)) + kPictureGrace;
        picturesBefore_ = shared_.pictures;
        unreadableBefore_ = shared_.unreadable;
        failuresBefore_ = device->camera.exposureFailures;
        sendings.push_back([name = device_, seconds](IndiConnection& connection) {
            connection.SendNumbers(name, "CCD_EXPOSURE", {{"CCD_EXPOSURE_VALUE", seconds}});
        });
    }
    if (sendings.empty()) return {};
    return [sendings = std::move(sendings)](IndiConnection& connection) {
        for (const Sending& sending : sendings)
            sending(connection);
    };
}

}  // namespace nuvix::indi
