#include "platform/linux/SerialLines.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace nuvix {
namespace {

TEST(LineSettings, ReadsTheDeviceControlText)
{
    struct Case {
        const char* text;
        std::optional<LineSettings> settings;
    };
    const Case cases[] = {
        {"COM1 9600,n,8,1", LineSettings{1, 9600, 'n', 8, 1}},
        {"COM2  300,n,8,1", LineSettings{2, 300, 'n', 8, 1}},
        {"com4: 19200,E,7,2", LineSettings{4, 19200, 'e', 7, 2}},
        {"COM1", std::nullopt},  // a rate the system does not know appends nothing
        {"COM0 9600,n,8,1", std::nullopt},
        {"COM5 9600,n,8,1", std::nullopt},
        {"COM1 9600,x,8,1", std::nullopt},
        {"COM1 9600,n,9,1", std::nullopt},
        {"COM1 9600,n,8,3", std::nullopt},
        {"COM1 9600,n,8,1 and more", std::nullopt},
        {"LPT1 9600,n,8,1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseLineSettings(c.text), c.settings) << c.text;
}

// A pseudo-terminal stands in for the serial port: what the program writes on COM2 is read on
// the other side, with the settings the line was given.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) path_ = ::ptsname(master_);
    }
    ~PseudoTerminal()
    {
        if (master_ >= 0) ::close(master_);
    }
    const std::string& Path() const { return path_; }
    // What the program wrote, up to `count` bytes: they may cross the terminal one at a time, so
    // it reads until all came or a second passed.
    std::string Read(size_t count) const
    {
        std::string got;
        pollfd readable{master_, POLLIN, 0};
        while (got.size() < count && ::poll(&readable, 1, 1000) > 0) {
            char buffer[256];
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }
    termios Settings() const
    {
        termios tio{};
        const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ::tcgetattr(fd, &tio);
        ::close(fd);
        return tio;
    }

private:
    int master_ = -1;
    std::string path_;
};

TEST(SerialLines, SetsTheLineUpAndSendsItsBytes)
{
    PseudoTerminal pty;
    ASSERT_FALSE(pty.Path().empty());
    std::ostringstream notes;
    SerialLines lines({"", pty.Path(), "", ""}, notes);

    for (auto [text, speed] : {std::pair{"COM2  300,n,8,1", B300}, std::pair{"COM2 9600,n,8,1", B9600}}) {
        ASSERT_TRUE(lines.Configure(text));
        const termios tio = pty.Settings();
        EXPECT_EQ(::cfgetospeed(&tio), speed);
        EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD), CS8 | CLOCAL | CREAD);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    }
    lines.WritePort(port::kCom2, 0xC9);
    lines.WritePort(port::kCom2, 0x00);
    lines.WritePort(port::kCom1, 0x55);  // no line there: nowhere
    EXPECT_EQ(pty.Read(3), std::string("\xC9\x00", 2));  // and nothing from COM1
    EXPECT_EQ(notes.str(), "");

    // Nobody reads: the line's buffer fills, and the bytes that do not fit are dropped.
    for (int i = 0; i < 200'000; ++i)
        lines.WritePort(port::kCom2, 0x01);
    EXPECT_EQ(notes.str(), "");
}

TEST(SerialLines, ALineThatCannotBeUsedIsToldOnceAndItsBytesDropped)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "nuvix-not-a-line";
    std::ofstream(file) << "";
    struct Case {
        std::string path;
        const char* reason;
    };
    for (const Case& c : {Case{"/nonexistent/ttyUSB9", "/nonexistent/ttyUSB9 does not exist"},
                          Case{file.string(), " is not a serial line"}}) {
        std::ostringstream notes;
        SerialLines lines({c.path, "", "", ""}, notes);
        EXPECT_FALSE(lines.Configure("COM1 9600,n,8,1"));
        EXPECT_FALSE(lines.Configure("COM1 9600,n,8,1"));
        lines.WritePort(port::kCom1, 0xC9);
        const std::string told = notes.str();
        EXPECT_NE(told.find(c.reason), std::string::npos) << told;
        EXPECT_NE(told.find("COM1"), std::string::npos) << told;
        EXPECT_EQ(told.find('\n'), told.size() - 1) << told;  // one line
    }
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace nuvix
