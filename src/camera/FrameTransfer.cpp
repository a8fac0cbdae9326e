#include "camera/FrameTransfer.h"

#include "camera/PortWait.h"
#include "camera/QuickCam.h"

namespace nuvix {

namespace {

constexpr int kCyclesPerFrame = kFramePixels / 4;  // four pixels per handshake cycle
constexpr uint8_t kDataReadyBit = 0x01;

// The camera takes the data lines: the port turns to input and the camera confirms on the
// handshake line.
bool TurnAround(CameraLink& link)
{
    link.WritePort(port::kLptControl, control::kTransferHigh);
    link.clock.ShortDelay();
    link.WritePort(port::kLptControl, control::kTransferLow);
    if (!WaitHandshake(link, HandshakeLevel::High)) return false;
    link.WritePort(port::kLptControl, control::kTransferHigh);
    if (!WaitHandshake(link, HandshakeLevel::Low)) return false;
    link.WritePort(port::kLptControl, control::kTransferLow);
    return true;
}

// One half of a cycle: wait for data bit 0 to show the half's level, take the status once,
// hand the half back to the camera, then decode two pixels downward into the frame. The
// status byte is used as read; BUSY's inversion is part of the picture's encoding.
inline bool ReceiveHalf(CameraLink& link, uint8_t readyLevel, uint8_t controlAfter, uint8_t*& out)
{
    uint8_t data = 0;
    if (!PollPort(link, port::kLptData, kDataReadyBit, readyLevel, data)) return false;
    const uint8_t status = link.ReadPort(port::kLptStatus);
    link.WritePort(port::kLptControl, controlAfter);
    *--out = static_cast<uint8_t>(63 - ((data >> 1) & 0x3F));
    *--out = static_cast<uint8_t>(63 - (((status >> 2) & 0x3E) | (data >> 7)));
    return true;
}

bool ReceivePixels(CameraLink& link, FrameBytes& target)
{
    // The first pixel received is the last byte: the first line becomes the top row.
    uint8_t* out = target.data() + target.size();
    for (int cycle = 0; cycle < kCyclesPerFrame; ++cycle) {
        if (!ReceiveHalf(link, kDataReadyBit, control::kTransferHigh, out)) return false;
        if (!ReceiveHalf(link, 0, control::kTransferLow, out)) return false;
    }
    return true;
}

}  // namespace

bool ReadFrame(CameraLink& link, FrameBytes& target)
{
    const bool complete = SendByte(link, command::kSendFrame) && SendByte(link, command::kFrameMode) &&
                          TurnAround(link) && ReceivePixels(link, target);
    // Data lines back to output and control lines at rest, also after a give-up.
    link.WritePort(port::kLptControl, control::kIdle);
    return complete;
}

}  // namespace nuvix
