#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace nuvix::files {

// A new file written under a hidden name beside the file it is meant for, ".<name>.tmp-<pid>-<n>",
// and moved into place only once all its bytes are on the disk. Its writer holds a lock on it while
// it lives, so that a later run can tell the file of a writer still at work from one that a killed
// run left behind. Unless it was moved into place, the destructor removes it.
class PendingFile {
public:
    // `path` is where the file goes; `shown` names it in messages.
    PendingFile(std::string path, std::string shown);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates it, with these permission bits when given (those of the file it replaces), with the
    // usual ones for a new file otherwise.
    bool Open(std::optional<mode_t> mode, std::string& reason);
    // Gives it the owner of the file it replaces, where this process has the right to.
    void KeepOwner(uid_t user, gid_t group);
    bool Write(std::span<const uint8_t> bytes, std::string& reason);
    // Puts its bytes on the disk and closes it.
    bool Sync(std::string& reason);
    // Renames it over `path`.
    bool Replace(std::string& reason);
    // Gives it the name `name` unless a file of that name exists; `error` is EEXIST then.
    bool MoveToNew(const std::string& name, int& error);

private:
    void Moved();

    std::string path_;
    std::string shown_;
    std::string temporary_;
    int fd_ = -1;
};

// Removes from `directory` the hidden files that runs killed while writing left behind. A file
// whose writer still runs (its process is alive or it holds the lock) stays, and so does every
// file named otherwise.
void RemoveLeftovers(const std::string& directory);

}  // namespace nuvix::files
