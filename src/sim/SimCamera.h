#pragma once

#include "platform/clock/Clock.h"
#include "platform/ports/PortDevice.h"
#include "sim/SimFrameStream.h"
#include "sim/SkyModel.h"

#include <cstdint>
#include <optional>
#include <random>

namespace nuvix::sim {

// The values the camera keeps from the host's commands (power-up values are 0).
struct SimCameraRegisters {
    uint8_t brightness = 0;
    uint8_t contrast = 0;
    uint8_t whiteBalance = 0;
    uint8_t top = 0;
    uint8_t left = 0;
    uint8_t lineCount = 0;  // kept only: the camera always sends 320 x 240
    uint8_t lineUnits = 0;  // kept only
    uint8_t portMode = 0;
};

enum class PictureSource { Sky, TestPattern };

// A black-and-white QuickCam on the three LPT1 registers (attach it at 0x378-0x37A). It
// plays the camera's side of every exchange at register level:
// - after its first reset pulse (control 0x0B then 0x0E) status bits 4-7 count on every
//   status read, which is the activity a detection looks for;
// - once awake, status bit 3, the handshake, is the complement of control bit 3 (SELECT IN),
//   and a control write of 0x04 latches the data lines as a command byte; every command
//   takes one argument byte;
// - after command 0x1D the camera drives kProbeAnswer on the data lines while the port is
//   input; data reads of a port in output direction give the port's own latch;
// - command 0x07 with mode 0x03 takes a picture and serves it in the two-phase transfer,
//   rows top first and each row from column 319 to column 0, encoded by EncodeHalf.
class SimCamera final : public PortDevice {
public:
    static constexpr uint8_t kProbeAnswer = 0x01;
    static constexpr int kHalvesPerFrame = SimFrameStream::kHalvesPerFrame;

    // `sky` may be null: the camera then always sends the test pattern.
    SimCamera(Clock& clock, SkyModel* sky);

    uint8_t ReadPort(uint16_t address) override;
    void WritePort(uint16_t address, uint8_t value) override;

    // Sky by default when there is one; TestPattern sends TestPatternPixel(k) as pixel k.
    void SetPictureSource(PictureSource source) { source_ = source; }

    // Faults on demand.
    // After `frames` complete frames, the camera is unplugged in the middle of the next
    // transfer, instead of presenting half `halves` (0..38,399) of it.
    void UnplugAfter(int frames, int halves = kHalvesPerFrame / 2);
    // Unplugged now: data and status lines keep their last levels until a replug.
    void Unplug();
    // Power comes back: the camera has forgotten its settings and answers again once a reset
    // pulse of the host has woken it.
    void Replug();
    // Loss and return at times of the clock, in milliseconds since its start: unplugged in the
    // middle of the first transfer that begins at or after `unplugAtMs`, and powered again at
    // the first control write at or after `replugAtMs`, when there is one. The clock is read
    // once per frame, and on control writes only while unplugged.
    void ScheduleUnplug(int64_t unplugAtMs, std::optional<int64_t> replugAtMs);
    // A camera slower than the exposure formula: it answers the frame request only after
    // exposing `factor` times as long (0, the default: at once, like the host's long
    // exposures at brightness 255, which always answer at once).
    void SetExposureLatency(double factor) { latencyFactor_ = factor; }
    // Status bit 3 never rises.
    void SetStuckHandshake(bool stuck) { stuckHandshake_ = stuck; }
    // Every status bit that carries nothing at the moment reads random (seeded): bits 0-2
    // and 4-7 between transfers, bits 0-2 during one.
    void SetNoisyStatus(uint32_t seed);

    const SimCameraRegisters& Registers() const { return registers_; }
    bool Unplugged() const { return unplugged_; }
    int FramesSent() const { return framesSent_; }
    int PicturesTaken() const { return picturesTaken_; }
    // The exposure of the last picture taken.
    const Exposure& LastExposure() const { return exposure_; }

private:
    struct UnplugPlan {
        int frames;
        int halves;
    };

    uint8_t ReadData() const;
    uint8_t ReadStatus();
    void WriteControl(uint8_t value);
    void ReceiveByte(uint8_t value);
    void StartFrame();
    void TakePicture(int64_t nowMs);
    double ExposureMilliseconds(int64_t nowMs) const;
    bool Answering();
    uint8_t DrivenData() const;
    uint8_t StatusLines() const;

    Clock& clock_;
    SkyModel* sky_;
    PictureSource source_;

    uint8_t dataLatch_ = 0;
    uint8_t control_ = 0;
    ContinuousMilliseconds time_;
    bool awake_ = false;  // a reset pulse has been seen since power came
    uint8_t activity_ = 0;
    int64_t lastPulseMs_ = 0;
    std::optional<int64_t> answerAtMs_;  // a slow camera's first answer to the frame request
    double latencyFactor_ = 0.0;
    std::optional<uint8_t> pendingCommand_;
    bool probing_ = false;
    SimCameraRegisters registers_;

    SensorImage picture_{};
    SimFrameStream stream_;
    Exposure exposure_{};
    int framesSent_ = 0;
    int picturesTaken_ = 0;

    std::optional<UnplugPlan> unplugPlan_;
    std::optional<int64_t> unplugAtMs_;
    std::optional<int64_t> replugAtMs_;
    bool unplugged_ = false;
    uint8_t frozenData_ = lines::kFloatingData;
    uint8_t frozenStatus_ = 0;
    bool stuckHandshake_ = false;
    bool noisy_ = false;
    std::minstd_rand noise_;
};

}  // namespace nuvix::sim
