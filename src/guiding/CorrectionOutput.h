#pragma once

#include "params/Params.h"
#include "platform/ports/SerialPorts.h"

#include <cstdint>

namespace nuvix {

namespace ui {
class Window;
}

// How corrections leave the system: command bytes on a serial line, or the on-screen indicators.
enum Protocol : int32_t { kStellonStandard = 0, kLx200 = 1, kVirtualDiodes = 2 };
// The protocol's name as the parameter dialog lists it; empty for a value from elsewhere.
const char* ProtocolName(int32_t protocol);

// The serial output's own state.
struct CorrectionOutput {
    int32_t uartBase = 0;  // the transmit register the serial protocol writes to; 0 until set up
};

// Selects the UART of port `portNumber` (1-4; other numbers leave it) and sets its line up with
// the platform's device-control text, "COM1 9600,n,8,1" or "COM2  300,n,8,1". True when the line
// took the settings.
bool SetupSerialPort(SerialPorts* ports, CorrectionOutput& output, int portNumber, int baudRate);

// Puts the record's protocol into force: the serial protocol sets its line up at 9600 baud and
// hides the indicator window; "LX200" sets the line up at 300 baud; "Diodes virtuelles" shows
// the indicator window.
void ApplyProtocol(const tparam& record, SerialPorts* ports, CorrectionOutput& output, ui::Window& indicators);

}  // namespace nuvix
