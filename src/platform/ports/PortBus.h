#pragma once

#include "platform/ports/PortDevice.h"

#include <vector>

namespace nuvix {

// Routes each port address to the device attached there. A read of an address with no
// device gives 0xFF, as a floating bus does; a write there goes nowhere.
class PortBus {
public:
    // Attaches a device to the addresses first..last (inclusive). A later attachment
    // takes precedence over an earlier one on overlapping addresses.
    void Attach(uint16_t first, uint16_t last, PortDevice& device);
    void Detach(const PortDevice& device);

    uint8_t ReadPort(uint16_t address);
    void WritePort(uint16_t address, uint8_t value);

private:
    struct Range {
        uint16_t first;
        uint16_t last;
        PortDevice* device;
    };
    PortDevice* Find(uint16_t address) const;

    std::vector<Range> ranges_;
};

}  // namespace nuvix
