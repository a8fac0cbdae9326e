#include "platform/linux/ParallelPort.h"
#include "platform/linux/ParportDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace nuvix {
namespace {

constexpr int kFd = 7;

// What the fake system answers, and every call made to it, in order.
struct FakeSystemState {
    std::vector<std::string> calls;
    PathInfo path{0, true, 99, 0};  // /dev/parport0 of ppdev
    std::map<std::string, std::string> files{{"/proc/sys/dev/parport/parport0/base-addr", "888\t1912"},
                                             {"/proc/sys/dev/parport/parport1/base-addr", "632\t1656"}};
    int openResult = kFd;
    int claimResult = 0;
    unsigned modes = PARPORT_MODE_PCSPP | PARPORT_MODE_TRISTATE;
    uint8_t data = 0x5A;
    uint8_t status = 0x87;
    bool readsFail = false;
    bool root = false;
    int grantResult = 0;
    UserIds real{1000, 100};
    std::map<std::string, std::string> environment;
    int clearGroupsResult = 0;
    int setGidResult = 0;
    int setUidResult = 0;
    bool rootComesBack = false;
};

std::string Hex(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

class FakeSystem final : public ParportSystem {
public:
    explicit FakeSystem(FakeSystemState& state) : s_(state) {}

    PathInfo Inspect(const std::string&) override { return s_.path; }
    std::optional<std::string> ReadText(const std::string& path) override
    {
        const auto it = s_.files.find(path);
        return it == s_.files.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

    int Open(const std::string& path) override
    {
        s_.calls.push_back("open " + path);
        return s_.openResult;
    }
    int Ioctl(int fd, unsigned long request, void* argument) override
    {
        const std::string on = fd == kFd ? "" : " on a wrong descriptor";
        auto byte = [argument] { return Hex(*static_cast<unsigned char*>(argument)); };
        switch (request) {
        case PPCLAIM:
            s_.calls.push_back("PPCLAIM" + on);
            return s_.claimResult;
        case PPRELEASE:
            s_.calls.push_back("PPRELEASE" + on);
            return 0;
        case PPGETMODES:
            s_.calls.push_back("PPGETMODES" + on);
            *static_cast<unsigned*>(argument) = s_.modes;
            return 0;
        case PPRDATA:
            s_.calls.push_back("PPRDATA" + on);
            *static_cast<unsigned char*>(argument) = s_.data;
            return s_.readsFail ? -EIO : 0;
        case PPRSTATUS:
            s_.calls.push_back("PPRSTATUS" + on);
            *static_cast<unsigned char*>(argument) = s_.status;
            return s_.readsFail ? -EIO : 0;
        case PPWDATA:
            s_.calls.push_back("PPWDATA " + byte() + on);
            return 0;
        case PPWCONTROL:
            s_.calls.push_back("PPWCONTROL " + byte() + on);
            return 0;
        case PPDATADIR:
            s_.calls.push_back("PPDATADIR " + std::to_string(*static_cast<int*>(argument)) + on);
            return 0;
        default:
            s_.calls.push_back("unexpected ioctl");
            return -EINVAL;
        }
    }
    void Close(int fd) override { s_.calls.push_back("close " + std::to_string(fd)); }

    bool RunsAsRoot() override { return s_.root; }
    int SetPortAccess(uint16_t first, unsigned count, bool on) override
    {
        s_.calls.push_back("ioperm " + Hex(first) + " " + std::to_string(count) + (on ? " on" : " off"));
        return on ? s_.grantResult : 0;
    }
    uint8_t In(uint16_t address) override
    {
        s_.calls.push_back("inb " + Hex(address));
        return s_.status;
    }
    void Out(uint16_t address, uint8_t value) override
    {
        s_.calls.push_back("outb " + Hex(address) + " " + Hex(value));
    }

    UserIds RealIds() override { return s_.real; }
    std::optional<std::string> Environment(const char* name) override
    {
        const auto it = s_.environment.find(name);
        return it == s_.environment.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    int ClearSupplementaryGroups() override
    {
        s_.calls.push_back("setgroups");
        return s_.clearGroupsResult;
    }
    int SetGid(uint32_t gid) override
    {
        s_.calls.push_back("setgid " + std::to_string(gid));
        return s_.setGidResult;
    }
    int SetUid(uint32_t uid) override
    {
        s_.calls.push_back("setuid " + std::to_string(uid));
        if (uid == 0) return s_.rootComesBack ? 0 : -EPERM;
        return s_.setUidResult;
    }

private:
    FakeSystemState& s_;
};

std::unique_ptr<ParportDevice> OpenFakePpdev(FakeSystemState& state)
{
    auto device = std::make_unique<ParportDevice>(std::make_unique<FakeSystem>(state), kFd);
    state.calls.clear();
    return device;
}

TEST(LinuxParport, ControlValuesGoOutAsLinesAndDirection)
{
    struct Case {
        int before;  // a control value written first; -1: the port as opened (output)
        uint8_t value;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {-1, 0x00, {"PPWCONTROL 00"}},
        {-1, 0x04, {"PPWCONTROL 04"}},
        {-1, 0x0B, {"PPWCONTROL 0B"}},
        {-1, 0x0E, {"PPWCONTROL 0E"}},
        // Turning to input: the direction first, then the lines.
        {-1, 0x20, {"PPDATADIR 1", "PPWCONTROL 00"}},
        {0x0E, 0x24, {"PPDATADIR 1", "PPWCONTROL 04"}},
        {0x0E, 0x26, {"PPDATADIR 1", "PPWCONTROL 06"}},
        {0x0E, 0x2C, {"PPDATADIR 1", "PPWCONTROL 0C"}},
        {0x0E, 0x2E, {"PPDATADIR 1", "PPWCONTROL 0E"}},
        // Already input: the lines only.
        {0x24, 0x2C, {"PPWCONTROL 0C"}},
        {0x2E, 0x26, {"PPWCONTROL 06"}},
        {0x26, 0x2E, {"PPWCONTROL 0E"}},
        {0x20, 0x20, {"PPWCONTROL 00"}},
        // Back to output: the lines first, then the direction.
        {0x26, 0x00, {"PPWCONTROL 00", "PPDATADIR 0"}},
        {0x24, 0x00, {"PPWCONTROL 00", "PPDATADIR 0"}},
        {0x20, 0x0B, {"PPWCONTROL 0B", "PPDATADIR 0"}},
        {0x2E, 0x04, {"PPWCONTROL 04", "PPDATADIR 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Hex(static_cast<unsigned>(c.before)) + " -> " + Hex(c.value));
        FakeSystemState state;
        auto device = OpenFakePpdev(state);
        if (c.before >= 0) device->WritePort(port::kLptControl, static_cast<uint8_t>(c.before));
        state.calls.clear();
        device->WritePort(port::kLptControl, c.value);
        EXPECT_EQ(state.calls, c.calls);
        EXPECT_EQ(device->ReadPort(port::kLptControl), c.value);
    }
}

TEST(LinuxParport, DataAndStatusAreRawRegisterAccesses)
{
    FakeSystemState state;
    auto device = OpenFakePpdev(state);
    EXPECT_EQ(device->ReadPort(port::kLptData), 0x5A);
    EXPECT_EQ(device->ReadPort(port::kLptStatus), 0x87);
    device->WritePort(port::kLptData, 0x1D);
    EXPECT_EQ(device->ReadPort(0x3F8), 0xFF);  // not a register of this port
    device->WritePort(0x3F8, 0x12);
    EXPECT_EQ(state.calls, (std::vector<std::string>{"PPRDATA", "PPRSTATUS", "PPWDATA 1D"}));

    // A read the kernel refuses shows a floating bus, never stale or uninitialised bytes.
    state.readsFail = true;
    EXPECT_EQ(device->ReadPort(port::kLptData), 0xFF);
    EXPECT_EQ(device->ReadPort(port::kLptStatus), 0xFF);
}

TEST(LinuxParport, ClosingTurnsThePortBackAndReleasesIt)
{
    for (bool reversed : {false, true}) {
        SCOPED_TRACE(reversed);
        FakeSystemState state;
        {
            auto device = OpenFakePpdev(state);
            if (reversed) device->WritePort(port::kLptControl, 0x26);
            state.calls.clear();
        }
        std::vector<std::string> expected = {"PPRELEASE", "close 7"};
        if (reversed) expected.insert(expected.begin(), "PPDATADIR 0");
        EXPECT_EQ(state.calls, expected);
    }
}

TEST(LinuxParport, OpeningOutcomes)
{
    enum class Kind { None, Ppdev, Direct };
    struct Case {
        const char* name;
        std::function<void(FakeSystemState&)> setup;
        Kind kind;
        std::string reasonPart;
        std::vector<std::string> calls;
        std::string notePart;
        std::string path = "/dev/parport0";
    };
    const auto missing = [](FakeSystemState& s) { s.path = {-ENOENT, false, 0, 0}; };
    const auto missingAsRoot = [](FakeSystemState& s) {
        s.path = {-ENOENT, false, 0, 0};
        s.root = true;
    };
    const std::vector<Case> cases = {
        {"ppdev",
         [](FakeSystemState&) {},
         Kind::Ppdev,
         "",
         {"open /dev/parport0", "PPCLAIM", "PPGETMODES", "PPDATADIR 0"},
         ""},
        {"a port that cannot tristate",
         [](FakeSystemState& s) { s.modes = PARPORT_MODE_PCSPP; },
         Kind::Ppdev,
         "",
         {"open /dev/parport0", "PPCLAIM", "PPGETMODES", "PPDATADIR 0"},
         "/dev/parport0 cannot turn its data lines"},
        // Each reason of its own: missing, not a port, permission.
        {"no device file", missing, Kind::None, "/dev/parport0 does not exist (is the ppdev module loaded?)", {}, ""},
        {"a regular file",
         [](FakeSystemState& s) {
             s.path = {0, false, 0, 0};
         },
         Kind::None,
         "/tmp/notes.txt is not a parallel port device",
         {},
         "",
         "/tmp/notes.txt"},
        {"another character device",
         [](FakeSystemState& s) {
             s.path = {0, true, 4, 64};
         },
         Kind::None,
         "/dev/ttyS0 is not a parallel port device",
         {},
         "",
         "/dev/ttyS0"},
        {"under another user's home",
         [](FakeSystemState& s) {
             s.path = {-EACCES, false, 0, 0};
         },
         Kind::None,
         "/home/other/parport0 is not a parallel port device (a directory on the way is closed to this user)",
         {},
         "",
         "/home/other/parport0"},
        {"permission",
         [](FakeSystemState& s) { s.openResult = -EACCES; },
         Kind::None,
         "permission denied on /dev/parport0 (the user should join group lp)",
         {"open /dev/parport0"},
         ""},
        {"no port behind it",
         [](FakeSystemState& s) { s.openResult = -ENXIO; },
         Kind::None,
         "no parallel port behind /dev/parport0",
         {"open /dev/parport0"},
         ""},
        {"busy", [](FakeSystemState& s) { s.openResult = -EBUSY; }, Kind::None, "is busy", {"open /dev/parport0"}, ""},
        {"other error",
         [](FakeSystemState& s) { s.openResult = -EIO; },
         Kind::None,
         "cannot open /dev/parport0: " + std::string(std::strerror(EIO)),
         {"open /dev/parport0"},
         ""},
        {"claim refused",
         [](FakeSystemState& s) { s.claimResult = -ENXIO; },
         Kind::None,
         "cannot claim /dev/parport0",
         {"open /dev/parport0", "PPCLAIM", "close 7"},
         ""},
        // Root falls back to direct access at the base of the port named, and only then.
        {"root falls back to direct access",
         missingAsRoot,
         Kind::Direct,
         "",
         {"ioperm 378 3 on", "setgid 100", "setuid 1000", "setuid 0"},
         ""},
        {"root on the second port, held by another driver",
         [](FakeSystemState& s) {
             s.path = {0, true, 99, 1};
             s.openResult = -EBUSY;
             s.root = true;
         },
         Kind::Direct,
         "",
         {"open /dev/parport1", "ioperm 278 3 on", "setgid 100", "setuid 1000", "setuid 0"},
         "",
         "/dev/parport1"},
        {"root names a file that is no port",
         [](FakeSystemState& s) {
             s.path = {0, false, 0, 0};
             s.root = true;
         },
         Kind::None,
         "not a parallel port device; no direct port access: the I/O address of /tmp/x is not known",
         {},
         "",
         "/tmp/x"},
        {"root, the port's address is not published",
         [](FakeSystemState& s) {
             s.path = {-ENOENT, false, 0, 0};
             s.root = true;
             s.files.clear();
         },
         Kind::None,
         "no direct port access: the I/O address of /dev/parport0 is not known",
         {},
         ""},
        {"root through sudo drops to the sudo user",
         [](FakeSystemState& s) {
             s.path = {-ENOENT, false, 0, 0};
             s.root = true;
             s.real = {0, 0};
             s.environment = {{"SUDO_UID", "1001"}, {"SUDO_GID", "1002"}};
         },
         Kind::Direct,
         "",
         {"ioperm 378 3 on", "setgroups", "setgid 1002", "setuid 1001", "setuid 0"},
         ""},
        {"root login keeps root and says so",
         [](FakeSystemState& s) {
             s.path = {-ENOENT, false, 0, 0};
             s.root = true;
             s.real = {0, 0};
             s.environment = {{"SUDO_UID", "12x"}, {"SUDO_GID", "5"}};
         },
         Kind::Direct,
         "",
         {"ioperm 378 3 on"},
         "running as root"},
        {"direct access refused",
         [](FakeSystemState& s) {
             s.path = {-ENOENT, false, 0, 0};
             s.root = true;
             s.grantResult = -EPERM;
         },
         Kind::None,
         "does not exist (is the ppdev module loaded?); direct",
         {"ioperm 378 3 on"},
         ""},
        {"root cannot be given up",
         [](FakeSystemState& s) {
             s.path = {-ENOENT, false, 0, 0};
             s.root = true;
             s.setUidResult = -EAGAIN;
         },
         Kind::None,
         "root could not be given up (setuid",
         {"ioperm 378 3 on", "setgid 100", "setuid 1000", "ioperm 378 3 off"},
         ""},
        {"root comes back",
         [](FakeSystemState& s) {
             s.path = {-ENOENT, false, 0, 0};
             s.root = true;
             s.rootComesBack = true;
         },
         Kind::None,
         "root could be taken back",
         {"ioperm 378 3 on", "setgid 100", "setuid 1000", "setuid 0", "ioperm 378 3 off"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystemState state;
        c.setup(state);
        std::ostringstream notes;
        ParallelPortOpening opening = OpenParallelPort(c.path, std::make_unique<FakeSystem>(state), notes);
        switch (c.kind) {
        case Kind::None:
            EXPECT_EQ(opening.device, nullptr);
            break;
        case Kind::Ppdev:
            EXPECT_NE(dynamic_cast<ParportDevice*>(opening.device.get()), nullptr);
            break;
        case Kind::Direct:
            EXPECT_NE(dynamic_cast<DirectPortDevice*>(opening.device.get()), nullptr);
            break;
        }
        if (c.reasonPart.empty()) {
            EXPECT_EQ(opening.reason, "");
        } else {
            EXPECT_NE(opening.reason.find(c.reasonPart), std::string::npos) << opening.reason;
        }
        EXPECT_EQ(opening.reason.find('\n'), std::string::npos);
        EXPECT_EQ(state.calls, c.calls);
        if (c.notePart.empty()) {
            EXPECT_EQ(notes.str(), "");
        } else {
            const std::string text = notes.str();
            EXPECT_NE(text.find(c.notePart), std::string::npos) << text;
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
        }
    }
}

TEST(LinuxParport, DirectAccessReachesOnlyTheNamedPortsRegisters)
{
    FakeSystemState state;
    state.path = {-ENOENT, false, 0, 0};
    state.root = true;
    std::ostringstream notes;
    ParallelPortOpening opening = OpenParallelPort("/dev/parport1", std::make_unique<FakeSystem>(state), notes);
    ASSERT_NE(opening.device, nullptr);
    state.calls.clear();
    opening.device->WritePort(port::kLptControl, 0x2E);  // the direction bit goes to the register as it is
    EXPECT_EQ(opening.device->ReadPort(port::kLptStatus), 0x87);
    opening.device->WritePort(port::kLptData, 0x1D);
    EXPECT_EQ(opening.device->ReadPort(port::kCom1), 0xFF);
    opening.device->WritePort(port::kCom1, 0x40);
    EXPECT_EQ(state.calls, (std::vector<std::string>{"outb 27A 2E", "inb 279", "outb 278 1D"}));
}

}  // namespace
}  // namespace nuvix
