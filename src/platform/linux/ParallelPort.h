#pragma once

#include "platform/linux/ParportSystem.h"
#include "platform/ports/PortDevice.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace nuvix {

inline constexpr const char* kDefaultParallelPort = "/dev/parport0";

struct ParallelPortOpening {
    std::unique_ptr<PortDevice> device;  // LPT1's registers; null when nothing opened
    std::string reason;                  // why nothing opened, one line for the user
};

// Opens the parallel port for LPT1's three registers: ppdev at `path` first; when that fails
// and the program runs as root on x86, direct port access, giving root up right after.
// Remarks that do not stop the port from working (a port that cannot turn its data lines
// round, a root with no user to fall back to) go to `notes`, one line each. Without a
// device the camera is simply not detected.
ParallelPortOpening OpenParallelPort(const std::string& path, std::unique_ptr<ParportSystem> system,
                                     std::ostream& notes);

// The same with the machine's own calls, remarks on stderr.
ParallelPortOpening OpenParallelPort(const std::string& path = kDefaultParallelPort);

}  // namespace nuvix
