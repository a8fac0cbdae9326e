#include "platform/net/SocketServer.h"

#include "server/Protocol.h"

#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace nuvix::net {

namespace {

constexpr size_t kReadChunk = 16 * 1024;
// The kernel's share of a client's unread output, beside the table's bound: a client that stops
// reading is found out after a megabyte or two, not after the system's largest buffers.
constexpr int kSocketSendBuffer = 256 * 1024;
constexpr const char* kLineTooLong =
    R"({"jsonrpc":"2.0","error":{"code":-32600,"message":"invalid request: a line longer than 65536 bytes"},"id":null})";
constexpr const char* kFlood =
    R"({"jsonrpc":"2.0","error":{"code":-32600,"message":"too many requests waiting: the connection is closed"},"id":null})";
constexpr const char* kServerFull =
    "{\"jsonrpc\":\"2.0\",\"error\":{\"code\":-32600,\"message\":\"too many clients\"},\"id\":null}\r\n";

// A listening socket on host:port, or -1 with errno's reason.
int Listen(const std::string& host, int port, int& error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int failed = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); failed != 0) {
        error = failed == EAI_SYSTEM ? errno : EADDRNOTAVAIL;
        return -1;
    }
    int fd = -1;
    error = EADDRNOTAVAIL;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 64) != 0) {
            error = errno;
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

}  // namespace

Listening SocketServer::Start(const server::ListenAddress& address)
{
    int error = 0;
    for (int port = address.port; port < address.port + kPortsTried && port <= 65535; ++port) {
        const int fd = Listen(address.host, port, error);
        if (fd >= 0) {
            const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
            if (wake < 0) {
                close(fd);
                return {nullptr, std::string("no wake-up descriptor: ") + std::strerror(errno)};
            }
            return {std::unique_ptr<SocketServer>(new SocketServer(fd, wake, address.host, port)), {}};
        }
        if (error != EADDRINUSE) break;
    }
    return {nullptr,
            "cannot listen on " + address.host + ":" + std::to_string(address.port) + ": " + std::strerror(error)};
}

SocketServer::SocketServer(int listenFd, int wakeFd, std::string host, int port)
    : listenFd_(listenFd), wakeFd_(wakeFd), host_(std::move(host)), port_(port)
{
    char name[256] = "";
    if (gethostname(name, sizeof name - 1) == 0) hostName_ = name;
    thread_ = std::thread([this] { Run(); });
}

SocketServer::~SocketServer()
{
    stopping_ = true;
    Wake();
    thread_.join();
    for (const auto& [client, fd] : fds_)
        close(fd);
    close(listenFd_);
    close(wakeFd_);
}

void SocketServer::Wake()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

std::vector<server::Incoming> SocketServer::Take(size_t most)
{
    std::vector<server::Incoming> taken;
    bool drained = false;
    {
        std::lock_guard lock(mutex_);
        while (!inbox_.empty() && taken.size() < most) {
            server::Incoming in = std::move(inbox_.front());
            inbox_.pop_front();
            if (in.kind == server::Incoming::Kind::Line) {
                size_t& waiting = backlog_[in.client];
                drained = drained || waiting == kBacklogPaused;
                if (waiting > 0) --waiting;
            }
            taken.push_back(std::move(in));
        }
    }
    if (drained) Wake();  // a paused client may be read again
    return taken;
}

void SocketServer::Send(server::ClientId client, const std::string& line)
{
    std::lock_guard lock(mutex_);
    if (!table_.Queue(client, line)) dropping_.insert(client);
    Flush(client);
}

void SocketServer::Admit(server::ClientId client)
{
    std::lock_guard lock(mutex_);
    table_.Admit(client);
}

void SocketServer::Broadcast(const std::string& line)
{
    std::lock_guard lock(mutex_);
    for (const server::ClientId over : table_.Broadcast(line))
        dropping_.insert(over);
    for (const auto& [client, fd] : fds_)
        Flush(client);
}

void SocketServer::Flush(server::ClientId client)
{
    // Written at once when the socket takes it (a send that never waits), so that an event leaves
    // with no hop to the server's thread; whatever the socket does not take, that thread writes.
    const auto fd = fds_.find(client);
    if (fd != fds_.end() && !dropping_.count(client)) WriteSome(client, fd->second);
    if (!table_.Pending(client).empty() || !dropping_.empty()) Wake();
}

void SocketServer::Close(server::ClientId client)
{
    {
        std::lock_guard lock(mutex_);
        table_.MarkClosing(client);
    }
    Wake();
}

void SocketServer::Run()
{
    std::vector<pollfd> polled;
    std::vector<server::ClientId> ids;
    while (!stopping_) {
        polled.assign({{wakeFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}});
        ids.clear();
        {
            std::lock_guard lock(mutex_);
            for (const auto& [client, fd] : fds_) {
                short events = 0;
                if (backlog_[client] < kBacklogPaused && !table_.Closing(client)) events |= POLLIN;
                if (!table_.Pending(client).empty()) events |= POLLOUT;
                polled.push_back({fd, events, 0});
                ids.push_back(client);
            }
        }
        if (poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR) break;
        if (polled[0].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
        }
        if (polled[1].revents & POLLIN) Accept();
        for (size_t i = 0; i < ids.size(); ++i) {
            const short revents = polled[i + 2].revents;
            if (revents & POLLOUT) Write(ids[i], polled[i + 2].fd);
            if (revents & (POLLIN | POLLHUP | POLLERR)) Read(ids[i], polled[i + 2].fd);
        }
        EndClosedOnes();
    }
}

void SocketServer::Accept()
{
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        std::lock_guard lock(mutex_);
        const std::optional<server::ClientId> client = table_.Add();
        if (!client) {
            [[maybe_unused]] const ssize_t sent = send(fd, kServerFull, std::strlen(kServerFull), MSG_NOSIGNAL);
            close(fd);
            continue;
        }
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSocketSendBuffer, sizeof kSocketSendBuffer);
        fds_[*client] = fd;
        backlog_[*client] = 0;
        inbox_.push_back({server::Incoming::Kind::Connected, *client, {}});
    }
}

void SocketServer::Read(server::ClientId client, int fd)
{
    char buffer[kReadChunk];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    std::lock_guard lock(mutex_);
    if (got <= 0) {
        dropping_.insert(client);
        return;
    }
    server::LineFramer* framer = table_.Framer(client);
    if (!framer || table_.Closing(client)) return;
    std::vector<std::string> lines;
    const bool fits = framer->Feed(std::string_view(buffer, static_cast<size_t>(got)), lines);
    size_t& waiting = backlog_[client];
    for (std::string& line : lines) {
        if (waiting >= kBacklogClosed) break;
        inbox_.push_back({server::Incoming::Kind::Line, client, std::move(line)});
        ++waiting;
    }
    if (!fits || waiting >= kBacklogClosed) {
        table_.Queue(client, fits ? kFlood : kLineTooLong);
        table_.MarkClosing(client);
    }
}

void SocketServer::Write(server::ClientId client, int fd)
{
    std::lock_guard lock(mutex_);
    WriteSome(client, fd);
}

void SocketServer::WriteSome(server::ClientId client, int fd)
{
    const std::string_view pending = table_.Pending(client);
    if (pending.empty()) return;
    const ssize_t sent = send(fd, pending.data(), pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
        table_.Sent(client, static_cast<size_t>(sent));
    } else if (sent < 0 && errno != EAGAIN && errno != EINTR) {
        dropping_.insert(client);
    }
}

void SocketServer::EndClosedOnes()
{
    std::lock_guard lock(mutex_);
    for (const server::ClientId client : table_.Ids()) {
        if (table_.Closing(client) && table_.Pending(client).empty()) dropping_.insert(client);
    }
    for (const server::ClientId client : dropping_)
        Drop(client);
    dropping_.clear();
}

void SocketServer::Drop(server::ClientId client)
{
    const auto fd = fds_.find(client);
    if (fd == fds_.end()) return;
    close(fd->second);
    fds_.erase(fd);
    table_.Remove(client);
    backlog_.erase(client);
    inbox_.push_back({server::Incoming::Kind::Closed, client, {}});
}

}  // namespace nuvix::net
