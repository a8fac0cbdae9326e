#pragma once

#include <string>

namespace nuvix::files {

// An advisory lock that one run of the program holds, for as long as it runs, on the directory of a
// file it will replace at its end, so that a second run there can tell and leave the file alone.
// The directory is locked rather than the file, because replacing the file makes a new one.
class OwnerLock {
public:
    enum class State {
        Held,           // this run owns the file
        HeldByAnother,  // another run does
        Unavailable,    // the directory cannot be locked (missing, or a file system without locks)
    };

    OwnerLock() = default;
    ~OwnerLock();
    OwnerLock(OwnerLock&& other) noexcept;
    OwnerLock& operator=(OwnerLock&& other) noexcept;

    // Locks the directory that holds `path`, links followed, without waiting.
    static OwnerLock Claim(const std::string& path);

    State GetState() const { return state_; }

private:
    int fd_ = -1;
    State state_ = State::Unavailable;
};

}  // namespace nuvix::files
