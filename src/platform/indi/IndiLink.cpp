#include "platform/indi/IndiLink.h"

#include "platform/indi/IndiCamera.h"
#include "platform/indi/IndiConnection.h"
#include "platform/indi/IndiMount.h"
#include "platform/indi/ServerProbe.h"

namespace nuvix::indi {

namespace {
using namespace std::chrono_literals;
constexpr int kConnectTimeoutSeconds = 2;
constexpr auto kRetryAfter = 1s;
constexpr auto kIdleWake = 250ms;
}  // namespace

IndiLink::IndiLink(ServerAddress server, LinkChoice choice)
    : server_(std::move(server)), shared_(std::make_unique<LinkShared>())
{
    const std::string where = ToString(server_);
    shared_->camera = choice.camera;
    if (choice.guideMount) {
        mount_ = std::make_unique<IndiMount>(*shared_, choice.mount, where);
        roles_.push_back(mount_.get());
    }
    if (!choice.camera.empty()) {
        camera_ = std::make_unique<IndiCamera>(*shared_, choice.camera, where);
        roles_.push_back(camera_.get());
    }
    thread_ = std::thread([this] { Run(); });
}

IndiLink::~IndiLink()
{
    {
        const std::lock_guard lock(shared_->mutex);
        stopping_ = true;
    }
    shared_->wake.notify_all();
    thread_.join();
}

void IndiLink::Run()
{
    std::unique_lock lock(shared_->mutex);
    while (!stopping_) {
        shared_->serverLost = false;
        lock.unlock();
        auto connection = std::make_unique<IndiConnection>(*shared_);
        ServerProblem problem = ProbeServer(server_, kConnectTimeoutSeconds * 1000);
        if (problem == ServerProblem::None && !connection->Open(server_, kConnectTimeoutSeconds)) {
            problem = ServerProblem::NoAnswer;
        }
        lock.lock();
        if (problem == ServerProblem::None) {
            Serve(*connection, lock);
            problem = ServerProblem::Lost;
        }
        // Its destructor joins the library's thread, whose callbacks take the lock.
        lock.unlock();
        connection.reset();
        lock.lock();
        shared_->devices.Clear();
        if (stopping_) break;
        for (LinkRole* role : roles_)
            role->ServerGone(problem);
        shared_->wake.wait_for(lock, kRetryAfter, [this] { return stopping_; });
    }
}

void IndiLink::Serve(IndiConnection& connection, std::unique_lock<std::mutex>& lock)
{
    for (LinkRole* role : roles_)
        role->Opened(std::chrono::steady_clock::now());
    std::vector<Sending> sendings;
    while (!stopping_ && !shared_->serverLost) {
        const LinkTime now = std::chrono::steady_clock::now();
        sendings.clear();
        for (LinkRole* role : roles_) {
            if (Sending sending = role->Plan(now)) sendings.push_back(std::move(sending));
        }
        if (!sendings.empty()) {
            lock.unlock();
            for (const Sending& sending : sendings)
                sending(connection);
            lock.lock();
            continue;
        }
        shared_->changed = false;
        shared_->wake.wait_for(lock, kIdleWake,
                               [this] { return stopping_ || shared_->serverLost || shared_->changed; });
    }
}

}  // namespace nuvix::indi
