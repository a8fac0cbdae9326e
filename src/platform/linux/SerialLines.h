#pragma once

#include "platform/ports/PortDevice.h"
#include "platform/ports/SerialPorts.h"

#include <array>
#include <iosfwd>
#include <string>

namespace nuvix {

// The device of each serial port, COM1 to COM4; an empty path leaves the port without a line.
using SerialPaths = std::array<std::string, 4>;
inline const SerialPaths kDefaultSerialPaths = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};

// COM1 to COM4 on real serial lines through termios. Configure opens the named port's line if it
// is not open yet and applies the settings: the rate, parity, data and stop bits of the text, raw,
// no flow control, modem lines ignored. A byte written to a port's transmit register goes out on
// its line at once, so the gaps the system leaves between bytes are gaps on the wire. Nothing ever
// waits on a line: a full output buffer drops the byte. A line that cannot be opened or written is
// told once on `notes`, and its bytes are dropped until a later Configure opens it.
class SerialLines final : public PortDevice, public SerialPorts {
public:
    explicit SerialLines(SerialPaths paths, std::ostream& notes);
    ~SerialLines() override;
    SerialLines(const SerialLines&) = delete;
    SerialLines& operator=(const SerialLines&) = delete;

    bool Configure(const std::string& lineSettings) override;
    uint8_t ReadPort(uint16_t address) override;
    void WritePort(uint16_t address, uint8_t value) override;

private:
    struct Line {
        std::string path;
        int fd = -1;
        bool told = false;  // a failure has been reported since the line last worked
    };

    bool Open(int index);
    void Close(int index);
    void Tell(int index, const std::string& what);

    std::array<Line, 4> lines_;
    std::ostream& notes_;
};

}  // namespace nuvix
