#pragma once

#include "platform/ports/PortBus.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nuvix {

// The transmit registers of the four serial ports' UARTs, COM1 to COM4.
inline constexpr std::array<uint16_t, 4> kUartBases = {port::kCom1, port::kCom2, port::kCom3, port::kCom4};

// Attaches a device to the four transmit registers.
inline void AttachUarts(PortBus& bus, PortDevice& device)
{
    for (uint16_t base : kUartBases)
        bus.Attach(base, base, device);
}

// A serial line's settings as the platform's device-control text gives them: "COM1 9600,n,8,1".
struct LineSettings {
    int port = 0;  // 1..4
    int baud = 0;
    char parity = 'n';  // n, e or o
    int dataBits = 8;
    int stopBits = 1;
    bool operator==(const LineSettings&) const = default;
};

// Reads "COMn rate,parity,data,stop"; empty for anything else.
std::optional<LineSettings> ParseLineSettings(std::string_view text);

// The serial ports as the system sets them up: a device-control text applied to the port it names.
class SerialPorts {
public:
    virtual ~SerialPorts() = default;
    // True when the port took the settings.
    virtual bool Configure(const std::string& lineSettings) = 0;
};

}  // namespace nuvix
