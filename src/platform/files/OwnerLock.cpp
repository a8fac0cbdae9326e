#include "platform/files/OwnerLock.h"

#include "platform/files/Target.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace nuvix::files {

OwnerLock::~OwnerLock()
{
    if (fd_ >= 0) ::close(fd_);
}

OwnerLock::OwnerLock(OwnerLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), state_(std::exchange(other.state_, State::Unavailable))
{
}

OwnerLock& OwnerLock::operator=(OwnerLock&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        state_ = std::exchange(other.state_, State::Unavailable);
    }
    return *this;
}

OwnerLock OwnerLock::Claim(const std::string& path)
{
    OwnerLock lock;
    const Target target = FollowLinks(path);
    const std::string directory = DirectoryOf(target.error == 0 ? target.path : path);
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return lock;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lock.fd_ = fd;
        lock.state_ = State::Held;
        return lock;
    }
    lock.state_ = errno == EWOULDBLOCK ? State::HeldByAnother : State::Unavailable;
    ::close(fd);
    return lock;
}

}  // namespace nuvix::files
