#pragma once

#include <cstdint>

namespace nuvix {

// Anything that answers byte reads and writes on I/O port addresses: real hardware, the
// simulator, or a test double.
class PortDevice {
public:
    virtual ~PortDevice() = default;
    virtual uint8_t ReadPort(uint16_t address) = 0;
    virtual void WritePort(uint16_t address, uint8_t value) = 0;
};

// Addresses the system drives.
namespace port {
inline constexpr uint16_t kLptData = 0x378;
inline constexpr uint16_t kLptStatus = 0x379;
inline constexpr uint16_t kLptControl = 0x37A;
inline constexpr uint16_t kCom1 = 0x3F8;
inline constexpr uint16_t kCom2 = 0x2F8;
inline constexpr uint16_t kCom3 = 0x3E8;
inline constexpr uint16_t kCom4 = 0x2E8;
}  // namespace port

}  // namespace nuvix
