#pragma once

#include "guiding/GuidePulseSink.h"
#include "platform/indi/ServerProbe.h"

#include <string_view>
#include <vector>

namespace nuvix::indi {

// What the observer hears about a mount on a server.
struct MountCondition {
    MountLink link = MountLink::Starting;
    ServerProblem problem = ServerProblem::None;  // why the server is gone
    bool served = false;                          // the server had answered before it went
    bool parked = false;
    bool tracking = true;
    bool slewing = false;
    PierSide pierSide = PierSide::Unknown;
};

// The notices for a change of condition, in the order they are told: the link first, then (while
// the mount is ready) its park, tracking, slew and pier side. `mount` is the mount's name (empty
// while none was chosen), `server` "host:port".
std::vector<MountNotice> NoticesFor(const MountCondition& before, const MountCondition& now, std::string_view mount,
                                    std::string_view server);

// The mount was chosen, once for the whole run.
MountNotice ChosenNotice(std::string_view mount, std::string_view server);

}  // namespace nuvix::indi
