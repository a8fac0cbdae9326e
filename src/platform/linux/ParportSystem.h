#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace nuvix {

struct UserIds {
    uint32_t uid;
    uint32_t gid;
};

// What a path names, as far as the port is concerned.
struct PathInfo {
    int error = 0;  // -errno when the path could not be examined
    bool characterDevice = false;
    unsigned major = 0;
    unsigned minor = 0;
};

// The operating-system calls behind the parallel port, so that tests can stand in for them.
// Calls give 0 (or a file descriptor) on success and -errno on failure.
class ParportSystem {
public:
    virtual ~ParportSystem() = default;

    // The path's file, symbolic links followed.
    virtual PathInfo Inspect(const std::string& path) = 0;
    // The first line of a small text file such as a /proc entry; null when it cannot be read.
    virtual std::optional<std::string> ReadText(const std::string& path) = 0;

    // The ppdev character device.
    virtual int Open(const std::string& path) = 0;
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual void Close(int fd) = 0;

    // Direct register access, for root on x86 only.
    virtual bool RunsAsRoot() = 0;
    virtual int SetPortAccess(uint16_t first, unsigned count, bool on) = 0;
    virtual uint8_t In(uint16_t address) = 0;
    virtual void Out(uint16_t address, uint8_t value) = 0;

    // Giving root up again.
    virtual UserIds RealIds() = 0;
    virtual std::optional<std::string> Environment(const char* name) = 0;
    virtual int ClearSupplementaryGroups() = 0;
    virtual int SetGid(uint32_t gid) = 0;
    virtual int SetUid(uint32_t uid) = 0;
};

// The machine's own calls.
std::unique_ptr<ParportSystem> MakeLinuxParportSystem();

}  // namespace nuvix
