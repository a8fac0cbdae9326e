#pragma once

#include "platform/linux/ParportSystem.h"
#include "platform/ports/PortDevice.h"

#include <memory>

namespace nuvix {

// LPT1's three registers through a claimed ppdev descriptor. Data and status are raw register
// reads; a control value goes out as its low four bits with PPWCONTROL and its direction bit
// (0x20) with PPDATADIR, because the kernel keeps only the low four bits of PPWCONTROL and
// never turns the port back to output by itself.
class ParportDevice final : public PortDevice {
public:
    // Takes over a descriptor that is open and claimed; starts the data lines as outputs.
    ParportDevice(std::unique_ptr<ParportSystem> system, int fd);
    ~ParportDevice() override;
    ParportDevice(const ParportDevice&) = delete;
    ParportDevice& operator=(const ParportDevice&) = delete;

    uint8_t ReadPort(uint16_t address) override;
    void WritePort(uint16_t address, uint8_t value) override;

private:
    void SetInput(bool input);

    std::unique_ptr<ParportSystem> system_;
    int fd_;
    uint8_t control_ = 0;
    bool input_ = false;
};

// The same registers by direct port I/O, after ioperm: LPT1's three addresses reach the
// registers of the port at `base`.
class DirectPortDevice final : public PortDevice {
public:
    DirectPortDevice(std::unique_ptr<ParportSystem> system, uint16_t base) : system_(std::move(system)), base_(base) {}

    uint8_t ReadPort(uint16_t address) override;
    void WritePort(uint16_t address, uint8_t value) override;

private:
    std::unique_ptr<ParportSystem> system_;
    uint16_t base_;
};

}  // namespace nuvix
