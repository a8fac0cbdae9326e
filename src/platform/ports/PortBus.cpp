#include "platform/ports/PortBus.h"

#include <algorithm>

namespace nuvix {

void PortBus::Attach(uint16_t first, uint16_t last, PortDevice& device)
{
    ranges_.insert(ranges_.begin(), Range{first, last, &device});
}

void PortBus::Detach(const PortDevice& device)
{
    std::erase_if(ranges_, [&](const Range& r) { return r.device == &device; });
}

PortDevice* PortBus::Find(uint16_t address) const
{
    for (const Range& r : ranges_) {
        if (address >= r.first && address <= r.last) return r.device;
    }
    return nullptr;
}

uint8_t PortBus::ReadPort(uint16_t address)
{
    PortDevice* device = Find(address);
    return device ? device->ReadPort(address) : 0xFF;
}

void PortBus::WritePort(uint16_t address, uint8_t value)
{
    if (PortDevice* device = Find(address)) device->WritePort(address, value);
}

}  // namespace nuvix
