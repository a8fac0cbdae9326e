#include "platform/linux/ParportDevice.h"

#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace nuvix {

namespace {

constexpr uint8_t kDirectionBit = 0x20;
constexpr uint8_t kControlLines = 0x0F;
constexpr uint8_t kNothing = 0xFF;  // what a read that failed shows: a floating bus

bool OnLpt1(uint16_t address)
{
    return address >= port::kLptData && address <= port::kLptControl;
}

}  // namespace

ParportDevice::ParportDevice(std::unique_ptr<ParportSystem> system, int fd) : system_(std::move(system)), fd_(fd)
{
    int forward = 0;
    system_->Ioctl(fd_, PPDATADIR, &forward);
}

ParportDevice::~ParportDevice()
{
    // Never leave the lines reversed for the next user of the port.
    if (input_) SetInput(false);
    system_->Ioctl(fd_, PPRELEASE, nullptr);
    system_->Close(fd_);
}

uint8_t ParportDevice::ReadPort(uint16_t address)
{
    unsigned char value = kNothing;
    switch (address) {
    case port::kLptData:
        if (system_->Ioctl(fd_, PPRDATA, &value) != 0) return kNothing;
        return value;
    case port::kLptStatus:
        if (system_->Ioctl(fd_, PPRSTATUS, &value) != 0) return kNothing;
        return value;
    case port::kLptControl:
        return control_;
    default:
        return kNothing;
    }
}

void ParportDevice::WritePort(uint16_t address, uint8_t value)
{
    if (address == port::kLptData) {
        unsigned char data = value;
        system_->Ioctl(fd_, PPWDATA, &data);
    } else if (address == port::kLptControl) {
        // Reverse before the camera can see the new control lines; turn back to output only
        // after it has seen them, so that the port and the camera never drive together.
        const bool input = (value & kDirectionBit) != 0;
        if (input && !input_) SetInput(true);
        unsigned char lines = value & kControlLines;
        system_->Ioctl(fd_, PPWCONTROL, &lines);
        if (!input && input_) SetInput(false);
        control_ = value;
    }
}

void ParportDevice::SetInput(bool input)
{
    int direction = input ? 1 : 0;
    system_->Ioctl(fd_, PPDATADIR, &direction);
    input_ = input;
}

uint8_t DirectPortDevice::ReadPort(uint16_t address)
{
    return OnLpt1(address) ? system_->In(static_cast<uint16_t>(base_ + (address - port::kLptData))) : kNothing;
}

void DirectPortDevice::WritePort(uint16_t address, uint8_t value)
{
    if (OnLpt1(address)) system_->Out(static_cast<uint16_t>(base_ + (address - port::kLptData)), value);
}

}  // namespace nuvix
