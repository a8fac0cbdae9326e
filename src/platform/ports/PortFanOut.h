#pragma once

#include "platform/ports/PortDevice.h"

#include <initializer_list>
#include <vector>

namespace nuvix {

// Several devices listening on the same addresses, as a simulated mount and a real line on one
// serial port: every write reaches each of them; reads come from the first.
class PortFanOut final : public PortDevice {
public:
    PortFanOut(std::initializer_list<PortDevice*> devices) : devices_(devices) {}

    uint8_t ReadPort(uint16_t address) override { return devices_.empty() ? 0xFF : devices_[0]->ReadPort(address); }
    void WritePort(uint16_t address, uint8_t value) override
    {
        for (PortDevice* device : devices_)
            device->WritePort(address, value);
    }

private:
    std::vector<PortDevice*> devices_;
};

}  // namespace nuvix
