#include "platform/linux/ParallelPort.h"

#include "platform/linux/ParportDevice.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>
#include <optional>
#include <string_view>

#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace nuvix {

namespace {

constexpr unsigned kRegisterCount = 3;  // data, status, control
constexpr unsigned kPpdevMajor = 99;    // the ppdev character devices, /dev/parportN
constexpr std::string_view kPpdevPrefix = "/dev/parport";

std::string ErrorText(int negativeErrno)
{
    return std::strerror(-negativeErrno);
}

std::string DoesNotExist(const std::string& path)
{
    return path + " does not exist (is the ppdev module loaded?)";
}

// Why the path cannot be the port's ppdev device; nothing when it may be.
std::optional<std::string> NotAPort(const std::string& path, const PathInfo& info)
{
    switch (-info.error) {
    case 0:
        if (info.characterDevice && info.major == kPpdevMajor) return std::nullopt;
        return path + " is not a parallel port device";
    case ENOENT:
    case ENOTDIR:
        return DoesNotExist(path);
    case EACCES:
        // Devices live in /dev, which everyone may search: no group would open this one.
        return path + " is not a parallel port device (a directory on the way is closed to this user)";
    default:
        return "cannot examine " + path + ": " + ErrorText(info.error);
    }
}

std::string OpenFailure(const std::string& path, int error)
{
    switch (-error) {
    case ENOENT:
        return DoesNotExist(path);
    case ENODEV:
    case ENXIO:
        return "no parallel port behind " + path + " (is parport_pc loaded?)";
    case EACCES:
    case EPERM:
        return "permission denied on " + path + " (the user should join group lp)";
    case EBUSY:
        return path + " is busy: another program or driver holds the port";
    default:
        return "cannot open " + path + ": " + ErrorText(error);
    }
}

// ppdev: open, claim, and check that the port can turn its data lines round.
ParallelPortOpening OpenPpdev(const std::string& path, std::unique_ptr<ParportSystem>& system, std::ostream& notes)
{
    const int fd = system->Open(path);
    if (fd < 0) return {nullptr, OpenFailure(path, fd)};
    if (const int claimed = system->Ioctl(fd, PPCLAIM, nullptr); claimed != 0) {
        system->Close(fd);
        return {nullptr, "cannot claim " + path + ": " + ErrorText(claimed)};
    }
    unsigned int modes = 0;
    if (system->Ioctl(fd, PPGETMODES, &modes) == 0 && (modes & PARPORT_MODE_TRISTATE) == 0) {
        notes << path << " cannot turn its data lines round (no tristate mode): frames cannot be read through it\n";
    }
    return {std::make_unique<ParportDevice>(std::move(system), fd), {}};
}

// The whole text as a decimal number.
std::optional<uint32_t> ParseId(const std::optional<std::string>& text)
{
    if (!text || text->empty()) return std::nullopt;
    uint32_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// The kernel's number of the port the path names: the minor of a ppdev device, or N of a
// missing /dev/parportN (ppdev not loaded: the port may still be there).
std::optional<unsigned> PortNumber(const std::string& path, const PathInfo& info)
{
    if (info.error == 0)
        return info.characterDevice && info.major == kPpdevMajor ? std::optional(info.minor) : std::nullopt;
    if (info.error != -ENOENT || !path.starts_with(kPpdevPrefix)) return std::nullopt;
    return ParseId(path.substr(kPpdevPrefix.size()));
}

// The I/O base of a port as Linux publishes it: "888\t1912" (base, then the ECP base).
std::optional<uint16_t> BaseAddress(ParportSystem& system, unsigned portNumber)
{
    const std::optional<std::string> text =
        system.ReadText("/proc/sys/dev/parport/parport" + std::to_string(portNumber) + "/base-addr");
    if (!text) return std::nullopt;
    uint32_t base = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, base);
    const bool separated = stop == end || *stop == '\t' || *stop == ' ';
    // Base 0 is what a port without I/O registers shows; the three registers must fit the space.
    if (error != std::errc() || !separated || base == 0 || base > 0xFFFF - kRegisterCount) return std::nullopt;
    return static_cast<uint16_t>(base);
}

// Gives root up for good once the ports are open: to the real ids, or to the user who ran
// the program through sudo. Gives the failure, if any.
std::optional<std::string> DropRoot(ParportSystem& system, std::ostream& notes)
{
    UserIds target = system.RealIds();
    const bool fullRoot = target.uid == 0;
    if (fullRoot) {
        const auto uid = ParseId(system.Environment("SUDO_UID"));
        const auto gid = ParseId(system.Environment("SUDO_GID"));
        if (!uid || !gid || *uid == 0) {
            notes << "running as root: there is no user to give root up to\n";
            return std::nullopt;
        }
        target = {*uid, *gid};
        // Root's own groups must not stay with the user.
        if (const int r = system.ClearSupplementaryGroups(); r != 0) return "setgroups: " + ErrorText(r);
    }
    // The group first: once the user id is given up, the group can no longer change.
    if (const int r = system.SetGid(target.gid); r != 0) return "setgid: " + ErrorText(r);
    if (const int r = system.SetUid(target.uid); r != 0) return "setuid: " + ErrorText(r);
    if (system.SetUid(0) == 0) return "root could be taken back";
    return std::nullopt;
}

// Direct port I/O for root: ioperm on the port's three registers, then root is given up.
ParallelPortOpening OpenDirect(std::unique_ptr<ParportSystem>& system, uint16_t base, std::ostream& notes,
                               std::string& why)
{
    if (const int granted = system->SetPortAccess(base, kRegisterCount, true); granted != 0) {
        why = "direct port access failed too: " + ErrorText(granted);
        return {};
    }
    if (const auto failure = DropRoot(*system, notes)) {
        system->SetPortAccess(base, kRegisterCount, false);
        why = "direct port access given back, root could not be given up (" + *failure + ")";
        return {};
    }
    return {std::make_unique<DirectPortDevice>(std::move(system), base), {}};
}

}  // namespace

ParallelPortOpening OpenParallelPort(const std::string& path, std::unique_ptr<ParportSystem> system,
                                     std::ostream& notes)
{
    const PathInfo info = system->Inspect(path);
    ParallelPortOpening opening;
    if (const std::optional<std::string> why = NotAPort(path, info)) {
        opening.reason = *why;
    } else {
        opening = OpenPpdev(path, system, notes);
    }
    if (opening.device || !system->RunsAsRoot()) return opening;

    // Root may reach the registers directly, but only those of the port that was named.
    const std::optional<unsigned> number = PortNumber(path, info);
    const std::optional<uint16_t> base = number ? BaseAddress(*system, *number) : std::nullopt;
    if (!base) {
        opening.reason += "; no direct port access: the I/O address of " + path + " is not known";
        return opening;
    }
    std::string why;
    ParallelPortOpening direct = OpenDirect(system, *base, notes, why);
    if (direct.device) return direct;
    opening.reason += "; " + why;
    return opening;
}

ParallelPortOpening OpenParallelPort(const std::string& path)
{
    return OpenParallelPort(path, MakeLinuxParportSystem(), std::cerr);
}

}  // namespace nuvix
