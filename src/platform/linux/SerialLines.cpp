#include "platform/linux/SerialLines.h"

#include <cerrno>
#include <cstring>
#include <ostream>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace nuvix {

namespace {

std::string OpenFailure(const std::string& path, int error)
{
    switch (error) {
    case ENOENT:
        return path + " does not exist";
    case EACCES:
    case EPERM:
        return "permission denied on " + path + " (the user should join group dialout)";
    case ENOTTY:
        return path + " is not a serial line";
    default:
        return "cannot use " + path + ": " + std::strerror(error);
    }
}

std::optional<speed_t> SpeedFor(int baud)
{
    switch (baud) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return std::nullopt;
    }
}

tcflag_t DataBits(int bits)
{
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

}  // namespace

SerialLines::SerialLines(SerialPaths paths, std::ostream& notes) : notes_(notes)
{
    for (size_t i = 0; i < lines_.size(); ++i)
        lines_[i].path = std::move(paths[i]);
}

SerialLines::~SerialLines()
{
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i)
        Close(i);
}

void SerialLines::Tell(int index, const std::string& what)
{
    Line& line = lines_[static_cast<size_t>(index)];
    if (line.told) return;
    line.told = true;
    notes_ << "nuvix: COM" << index + 1 << ": " << what << "; corrections for COM" << index + 1 << " are dropped\n";
}

bool SerialLines::Open(int index)
{
    Line& line = lines_[static_cast<size_t>(index)];
    if (line.fd >= 0) return true;
    if (line.path.empty()) return false;
    // No controlling terminal, and no wait for a carrier that a mount's cable never raises.
    const int fd = ::open(line.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Tell(index, OpenFailure(line.path, errno));
        return false;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        Tell(index, OpenFailure(line.path, ENOTTY));
        return false;
    }
    line.fd = fd;
    return true;
}

void SerialLines::Close(int index)
{
    Line& line = lines_[static_cast<size_t>(index)];
    if (line.fd >= 0) ::close(line.fd);
    line.fd = -1;
}

bool SerialLines::Configure(const std::string& lineSettings)
{
    const std::optional<LineSettings> settings = ParseLineSettings(lineSettings);
    if (!settings) return false;
    const std::optional<speed_t> speed = SpeedFor(settings->baud);
    const int index = settings->port - 1;
    if (!speed || !Open(index)) return false;
    const int fd = lines_[static_cast<size_t>(index)].fd;

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        Tell(index, OpenFailure(lines_[static_cast<size_t>(index)].path, errno));
        Close(index);
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= DataBits(settings->dataBits) | CLOCAL | CREAD;
    if (settings->parity != 'n') tio.c_cflag |= PARENB;
    if (settings->parity == 'o') tio.c_cflag |= PARODD;
    if (settings->stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, *speed);
    ::cfsetospeed(&tio, *speed);
    // Now, not after the output drains: a line nobody reads must not hold the program.
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        Tell(index, "settings refused by " + lines_[static_cast<size_t>(index)].path + ": " + std::strerror(errno));
        return false;
    }
    lines_[static_cast<size_t>(index)].told = false;
    return true;
}

uint8_t SerialLines::ReadPort(uint16_t address)
{
    (void)address;
    return 0xFF;  // only the transmit registers are used, and only written
}

void SerialLines::WritePort(uint16_t address, uint8_t value)
{
    int index = -1;
    for (size_t i = 0; i < kUartBases.size(); ++i) {
        if (kUartBases[i] == address) index = static_cast<int>(i);
    }
    if (index < 0) return;
    Line& line = lines_[static_cast<size_t>(index)];
    if (line.fd < 0) return;
    ssize_t written = -1;
    do {
        written = ::write(line.fd, &value, 1);
    } while (written < 0 && errno == EINTR);
    if (written == 1 || (written < 0 && errno == EAGAIN)) return;
    // An adapter pulled out, for instance: told once, opened again at the next set-up.
    Tell(index, "writing to " + line.path + " failed: " + std::strerror(written < 0 ? errno : EIO));
    Close(index);
}

}  // namespace nuvix
