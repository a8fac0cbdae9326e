#pragma once

#include "platform/indi/ServerProbe.h"

#include <chrono>
#include <functional>

namespace nuvix::indi {

class IndiConnection;

using LinkTime = std::chrono::steady_clock::time_point;
// What a role wants sent; the link runs it with the shared mutex released.
using Sending = std::function<void(IndiConnection&)>;

// One device's part of a link (the mount guided, the camera read). The link calls these on its
// own thread with the shared mutex held.
class LinkRole {
public:
    virtual ~LinkRole() = default;

    // A connection to the server was opened.
    virtual void Opened(LinkTime now) = 0;
    // Whenever something changed, and a few times a second: what to send now; empty for nothing.
    virtual Sending Plan(LinkTime now) = 0;
    // The server went away, or could not be reached, and why.
    virtual void ServerGone(ServerProblem problem) = 0;
};

}  // namespace nuvix::indi
