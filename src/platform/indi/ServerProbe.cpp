#include "platform/indi/ServerProbe.h"

#include "platform/text/Translate.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace nuvix::indi {

namespace {

ServerProblem ProblemOf(int error)
{
    if (error == 0) return ServerProblem::None;
    if (error == ECONNREFUSED) return ServerProblem::Refused;
    if (error == ETIMEDOUT || error == EINPROGRESS) return ServerProblem::NoAnswer;
    return ServerProblem::Unreachable;
}

ServerProblem Reach(const addrinfo& candidate, int timeoutMs)
{
    const int fd =
        socket(candidate.ai_family, candidate.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, candidate.ai_protocol);
    if (fd < 0) return ServerProblem::Unreachable;
    int error = connect(fd, candidate.ai_addr, candidate.ai_addrlen) == 0 ? 0 : errno;
    if (error == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        socklen_t length = sizeof error;
        if (poll(&waiting, 1, timeoutMs) != 1) {
            error = ETIMEDOUT;
        } else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            error = errno;
        }
    }
    close(fd);
    return ProblemOf(error);
}

}  // namespace

ServerProblem ProbeServer(const ServerAddress& address, int timeoutMs)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address.port);
    if (getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found) != 0) return ServerProblem::UnknownHost;
    ServerProblem problem = ServerProblem::Unreachable;
    for (const addrinfo* candidate = found; candidate && problem != ServerProblem::None;
         candidate = candidate->ai_next) {
        problem = Reach(*candidate, timeoutMs);
    }
    freeaddrinfo(found);
    return problem;
}

const char* ProblemLogText(ServerProblem problem)
{
    switch (problem) {
    case ServerProblem::None:
        return "reached";
    case ServerProblem::Refused:
        return "connection refused";
    case ServerProblem::NoAnswer:
        return "no answer";
    case ServerProblem::UnknownHost:
        return "unknown host";
    case ServerProblem::Unreachable:
        return "network unreachable";
    case ServerProblem::Lost:
        return "connection lost";
    }
    return "";
}

const char* ProblemText(ServerProblem problem)
{
    switch (problem) {
    case ServerProblem::None:
        return "";
    case ServerProblem::Refused:
        return Tr("connexion refusée");
    case ServerProblem::NoAnswer:
        return Tr("pas de réponse");
    case ServerProblem::UnknownHost:
        return Tr("nom inconnu");
    case ServerProblem::Unreachable:
        return Tr("réseau injoignable");
    case ServerProblem::Lost:
        return Tr("connexion perdue");
    }
    return "";
}

}  // namespace nuvix::indi
