#pragma once

#include "platform/indi/IndiAddress.h"

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nuvix::indi {

struct LinkShared;
class IndiCamera;
class IndiMount;
class IndiConnection;
class LinkRole;

// What Nuvix uses on a server.
struct LinkChoice {
    bool guideMount = false;
    std::string mount;   // the mount to guide; empty: the first device that takes timed guide pulses
    std::string camera;  // the camera to take frames from; empty: none
};

// One client of an INDI server on its own thread, shared by the mount and the camera: it connects,
// lets each of them act on what the server tells, and when the server goes away tries again every
// second. The window thread talks only to the mount and the camera, and none of their calls waits
// on the network.
class IndiLink {
public:
    IndiLink(ServerAddress server, LinkChoice choice);
    ~IndiLink();
    IndiLink(const IndiLink&) = delete;
    IndiLink& operator=(const IndiLink&) = delete;

    IndiMount* Mount() const { return mount_.get(); }
    IndiCamera* Camera() const { return camera_.get(); }

private:
    void Run();
    void Serve(IndiConnection& connection, std::unique_lock<std::mutex>& lock);

    const ServerAddress server_;
    std::unique_ptr<LinkShared> shared_;
    std::unique_ptr<IndiMount> mount_;
    std::unique_ptr<IndiCamera> camera_;
    std::vector<LinkRole*> roles_;
    bool stopping_ = false;  // under the shared mutex
    std::thread thread_;     // last: starts once everything above exists
};

}  // namespace nuvix::indi
