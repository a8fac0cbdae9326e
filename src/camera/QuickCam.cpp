#include "camera/QuickCam.h"

#include "camera/PortWait.h"

#include <array>
#include <utility>

namespace nuvix {

namespace {

constexpr int64_t kResetLoop = 100'000;
constexpr int64_t kProbeLoop = 20'000;
constexpr uint8_t kResetDataByte = 0x75;
constexpr uint8_t kHandshakeBit = 0x08;
constexpr uint8_t kDataReadyBit = 0x01;
constexpr uint8_t kPortModeArgument = 0x04;
constexpr int kProbeMinimumReads = 100;
constexpr uint32_t kDetectWindowMs = 200;
constexpr int kDetectMinimumChanges = 50;

void WriteControl(CameraLink& link, uint8_t value)
{
    link.WritePort(port::kLptControl, value);
}

// The probe's handshake and its answer on the data lines. False when the camera gave no
// answer within the bound; the caller puts the port back at rest.
bool ProbeExchange(CameraLink& link)
{
    WriteControl(link, control::kProbeLow);
    if (!WaitHandshake(link, HandshakeLevel::High)) return false;
    link.clock.BusyLoop(kProbeLoop);
    WriteControl(link, control::kProbeHigh);
    if (!WaitHandshake(link, HandshakeLevel::Low)) return false;
    WriteControl(link, control::kProbeLow);
    // The camera needs at least this many reads before its answer counts.
    for (int i = 1; i < kProbeMinimumReads; ++i)
        link.ReadPort(port::kLptData);
    uint8_t data = 0;
    return PollPort(link, port::kLptData, kDataReadyBit, kDataReadyBit, data);
}

}  // namespace

void ResetCamera(CameraLink& link)
{
    WriteControl(link, control::kInput);
    link.clock.ShortDelay();
    link.WritePort(port::kLptData, kResetDataByte);
    link.clock.BusyLoop(kResetLoop);
    WriteControl(link, control::kReset);
    link.clock.BusyLoop(kResetLoop);
    WriteControl(link, control::kRest);
    link.clock.BusyLoop(kResetLoop);
}

void PulseReset(CameraLink& link)
{
    WriteControl(link, control::kReset);
    link.clock.ShortDelay();
    WriteControl(link, control::kRest);
}

bool DetectCamera(CameraLink& link)
{
    ResetCamera(link);
    WriteControl(link, control::kInput);
    link.clock.ShortDelay();
    WriteControl(link, control::kReset);
    link.clock.ShortDelay();
    WriteControl(link, control::kRest);

    // A camera that came out of reset keeps its status lines moving; a bare port does not.
    const int32_t start = link.clock.ElapsedMilliseconds();
    int changes = 0;
    do {
        const uint8_t first = link.ReadPort(port::kLptStatus);
        const uint8_t second = link.ReadPort(port::kLptStatus);
        if (first != second) ++changes;
    } while (MillisecondsSince(start, link.clock.ElapsedMilliseconds()) < kDetectWindowMs);
    return changes >= kDetectMinimumChanges;
}

bool WaitHandshake(CameraLink& link, HandshakeLevel level)
{
    const uint8_t want = level == HandshakeLevel::High ? kHandshakeBit : 0;
    uint8_t status = 0;
    return PollPort(link, port::kLptStatus, kHandshakeBit, want, status);
}

bool SendByte(CameraLink& link, uint8_t value)
{
    link.WritePort(port::kLptData, value);
    WriteControl(link, control::kStrobeByte);
    const bool acknowledged = WaitHandshake(link, HandshakeLevel::High);
    // Back to rest whether or not the camera answered.
    WriteControl(link, control::kRest);
    return acknowledged;
}

PortMode ProbePortMode(CameraLink& link)
{
    PulseReset(link);
    link.clock.ShortDelay();
    const bool answered =
        SendByte(link, command::kPortMode) && SendByte(link, kPortModeArgument) && ProbeExchange(link);
    // The same ending after a give-up: data lines back to output, then a reset pulse that
    // leaves the control register at rest.
    WriteControl(link, control::kIdle);
    PulseReset(link);
    return answered ? PortMode::Bidirectional : PortMode::NoAnswer;
}

bool UploadSettings(CameraLink& link, const CameraSettings& settings)
{
    const std::array<std::pair<uint8_t, uint16_t>, 7> commands = {{
        {command::kBrightness, settings.brightness},
        {command::kLineCount, settings.lineCount},
        {command::kLineUnits, settings.lineUnits},
        {command::kTop, settings.top},
        {command::kLeft, settings.left},
        {command::kContrast, settings.contrast},
        {command::kWhiteBalance, settings.whiteBalance},
    }};
    for (const auto& [code, value] : commands) {
        if (!SendByte(link, code)) return false;
        if (!SendByte(link, static_cast<uint8_t>(value & 0xFF))) return false;
    }
    return true;
}

}  // namespace nuvix
