#include "platform/linux/ParportSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define NUVIX_HAS_PORT_IO 1
#endif

namespace nuvix {

namespace {

int Result(int value)
{
    return value < 0 ? -errno : value;
}

class LinuxParportSystem final : public ParportSystem {
public:
    PathInfo Inspect(const std::string& path) override
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return {-errno, false, 0, 0};
        return {0, S_ISCHR(info.st_mode), major(info.st_rdev), minor(info.st_rdev)};
    }
    std::optional<std::string> ReadText(const std::string& path) override
    {
        std::ifstream in(path);
        std::string text;
        if (!in || !std::getline(in, text)) return std::nullopt;
        return text;
    }
    int Open(const std::string& path) override { return Result(::open(path.c_str(), O_RDWR | O_CLOEXEC)); }
    int Ioctl(int fd, unsigned long request, void* argument) override
    {
        return ::ioctl(fd, request, argument) < 0 ? -errno : 0;
    }
    void Close(int fd) override { ::close(fd); }

    bool RunsAsRoot() override { return ::geteuid() == 0; }

#ifdef NUVIX_HAS_PORT_IO
    int SetPortAccess(uint16_t first, unsigned count, bool on) override
    {
        return ::ioperm(first, count, on ? 1 : 0) < 0 ? -errno : 0;
    }
    uint8_t In(uint16_t address) override
    {
        return ::inb(address);
    }
    void Out(uint16_t address, uint8_t value) override
    {
        ::outb(value, address);
    }
#else
    int SetPortAccess(uint16_t, unsigned, bool) override
    {
        return -ENOSYS;
    }
    uint8_t In(uint16_t) override
    {
        return 0xFF;
    }
    void Out(uint16_t, uint8_t) override {}
#endif

    UserIds RealIds() override
    {
        return {::getuid(), ::getgid()};
    }
    std::optional<std::string> Environment(const char* name) override
    {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    int ClearSupplementaryGroups() override
    {
        return ::setgroups(0, nullptr) < 0 ? -errno : 0;
    }
    int SetGid(uint32_t gid) override
    {
        return ::setgid(gid) < 0 ? -errno : 0;
    }
    int SetUid(uint32_t uid) override
    {
        return ::setuid(uid) < 0 ? -errno : 0;
    }
};

}  // namespace

std::unique_ptr<ParportSystem> MakeLinuxParportSystem()
{
    return std::make_unique<LinuxParportSystem>();
}

}  // namespace nuvix
