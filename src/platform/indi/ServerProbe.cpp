#include "platform/indi/ServerProbe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace nuvix::indi {

namespace {

bool Reaches(const addrinfo& candidate, int timeoutMs)
{
    const int fd =
        socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, candidate.ai_protocol);
    if (fd < 0) return false;
    bool reached = connect(fd, candidate.ai_addr, candidate.ai_addrlen) == 0;
    if (!reached && errno == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof error;
        reached = poll(&waiting, 1, timeoutMs) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 &&
                  error == 0;
    }
    close(fd);
    return reached;
}

}  // namespace

bool ServerListening(const ServerAddress& address, int timeoutMs)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    if (getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found) != 0) return false;
    bool reached = false;
    for (const addrinfo* candidate = found; candidate && !reached; candidate = candidate->ai_next) {
        reached = Reaches(*candidate, timeoutMs);
    }
    freeaddrinfo(found);
    return reached;
}

}  // namespace nuvix::indi
