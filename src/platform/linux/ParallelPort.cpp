#include "platform/linux/ParallelPort.h"

#include "platform/linux/ParportDevice.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>
#include <optional>

#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace nuvix {

namespace {

constexpr uint16_t kLpt1First = port::kLptData;
constexpr unsigned kLpt1Count = 3;

std::string ErrorText(int negativeErrno)
{
    return std::strerror(-negativeErrno);
}

std::string OpenFailure(const std::string& path, int error)
{
    switch (-error) {
    case ENOENT:
        return path + " does not exist: no parallel port, or the ppdev module is not loaded (modprobe ppdev)";
    case ENODEV:
    case ENXIO:
        return "no parallel port behind " + path + " (is parport_pc loaded?)";
    case EACCES:
    case EPERM:
        return "permission denied on " + path + ": the user should join group lp";
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

std::optional<uint32_t> ParseId(const std::optional<std::string>& text)
{
    if (!text || text->empty()) return std::nullopt;
    uint32_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
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

// Direct port I/O for root: ioperm on the three registers, then root is given up.
ParallelPortOpening OpenDirect(std::unique_ptr<ParportSystem>& system, std::ostream& notes, std::string& why)
{
    if (const int granted = system->SetPortAccess(kLpt1First, kLpt1Count, true); granted != 0) {
        why = "direct port access failed too: " + ErrorText(granted);
        return {};
    }
    if (const auto failure = DropRoot(*system, notes)) {
        system->SetPortAccess(kLpt1First, kLpt1Count, false);
        why = "direct port access given back, root could not be given up (" + *failure + ")";
        return {};
    }
    return {std::make_unique<DirectPortDevice>(std::move(system)), {}};
}

}  // namespace

ParallelPortOpening OpenParallelPort(const std::string& path, std::unique_ptr<ParportSystem> system,
                                     std::ostream& notes)
{
    ParallelPortOpening opening = OpenPpdev(path, system, notes);
    if (opening.device || !system->RunsAsRoot()) return opening;
    std::string why;
    ParallelPortOpening direct = OpenDirect(system, notes, why);
    if (direct.device) return direct;
    opening.reason += "; " + why;
    return opening;
}

ParallelPortOpening OpenParallelPort(const std::string& path)
{
    return OpenParallelPort(path, MakeLinuxParportSystem(), std::cerr);
}

}  // namespace nuvix
