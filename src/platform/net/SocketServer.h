#pragma once

#include "server/ClientTable.h"
#include "server/ListenAddress.h"
#include "server/Transport.h"

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace nuvix::net {

class SocketServer;

struct Listening {
    std::unique_ptr<SocketServer> server;  // null when nothing could listen
    std::string problem;                   // why, for the terminal
};

// The guiding server's TCP side: a thread of its own accepts the clients, reads their request
// lines and writes what the window thread queued, on non-blocking sockets. The window thread
// only takes what came in and queues what goes out, under a lock held for microseconds; it
// never waits on a client. A client that stops reading is dropped once its pending output
// passes the table's bound; one whose line passes 64 KiB, or that floods requests faster than
// the program answers them, gets an error reply and is closed.
class SocketServer final : public server::Transport {
public:
    // Ports tried after a taken one: the protocol's instances 1 to 16.
    static constexpr int kPortsTried = 16;
    // Requests of one client waiting for the window thread: over this many it is not read
    // further for a while, and over the hard bound it is closed.
    static constexpr size_t kBacklogPaused = 16;
    static constexpr size_t kBacklogClosed = 1024;

    // Listens on the address, or on the next free port when that one is taken.
    static Listening Start(const server::ListenAddress& address);
    ~SocketServer() override;

    int Port() const { return port_; }
    const std::string& Host() const { return host_; }

    std::vector<server::Incoming> Take(size_t most) override;
    void Send(server::ClientId client, const std::string& line) override;
    void Admit(server::ClientId client) override;
    void Broadcast(const std::string& line) override;
    void Close(server::ClientId client) override;
    std::string HostName() const override { return hostName_; }
    int Instance() const override { return server::InstanceOf(port_); }

private:
    SocketServer(int listenFd, int wakeFd, std::string host, int port);
    void Run();
    void Wake();
    void Accept();
    void Read(server::ClientId client, int fd);
    void Write(server::ClientId client, int fd);
    void WriteSome(server::ClientId client, int fd);  // with the lock held
    void Flush(server::ClientId client);              // with the lock held
    void Drop(server::ClientId client);
    void EndClosedOnes();

    const int listenFd_;
    const int wakeFd_;
    const std::string host_;
    const int port_;
    std::string hostName_;
    std::atomic<bool> stopping_{false};

    std::mutex mutex_;  // guards everything below
    server::ClientTable table_;
    std::map<server::ClientId, int> fds_;
    std::deque<server::Incoming> inbox_;
    std::map<server::ClientId, size_t> backlog_;
    std::set<server::ClientId> dropping_;

    std::thread thread_;
};

}  // namespace nuvix::net
