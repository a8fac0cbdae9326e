#include "guiding/CorrectionOutput.h"

#include "platform/ui/Window.h"

#include <string>

namespace nuvix {

const char* ProtocolName(int32_t protocol)
{
    switch (protocol) {
    case kStellonStandard:
        return "Stellon standard";
    case kLx200:
        return "LX200";
    case kVirtualDiodes:
        return "Diodes virtuelles";
    default:
        return "";
    }
}

bool SetupSerialPort(SerialPorts* ports, CorrectionOutput& output, int portNumber, int baudRate)
{
    if (portNumber >= 1 && portNumber <= 4) output.uartBase = kUartBases[static_cast<size_t>(portNumber - 1)];
    std::string settings = "COM" + std::to_string(portNumber);
    if (baudRate == 300) settings += "  300,n,8,1";
    if (baudRate == 9600) settings += " 9600,n,8,1";
    return ports != nullptr && ports->Configure(settings);
}

void ApplyProtocol(const tparam& record, SerialPorts* ports, CorrectionOutput& output, ui::Window& indicators)
{
    // Nobody looks at whether the line took its settings: a line that cannot be set up has
    // already been told about, and its corrections go nowhere.
    // A port number from elsewhere names no port rather than overflowing.
    const int portNumber = record.comPort >= 0 && record.comPort <= 3 ? record.comPort + 1 : 0;
    switch (record.protocol) {
    case kStellonStandard:
        SetupSerialPort(ports, output, portNumber, 9600);
        indicators.Show(false);
        break;
    case kLx200:
        SetupSerialPort(ports, output, portNumber, 300);
        break;
    case kVirtualDiodes:
        indicators.Show(true);
        break;
    default:
        break;
    }
}

}  // namespace nuvix
