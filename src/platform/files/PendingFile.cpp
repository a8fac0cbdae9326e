#include "platform/files/PendingFile.h"

#include "platform/files/FileErrors.h"
#include "platform/files/Target.h"
#include "platform/text/Translate.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace nuvix::files {

namespace {

constexpr int kTemporaryNameAttempts = 100;
constexpr std::string_view kTemporaryMark = ".tmp-";

std::string TemporaryName(const std::string& name, int attempt)
{
    return "." + name + std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" + std::to_string(attempt);
}

// The writer's process id when `name` is one of our temporary names.
std::optional<pid_t> WriterOf(std::string_view name)
{
    const size_t mark = name.rfind(kTemporaryMark);
    if (name.size() < 2 || name[0] != '.' || mark == std::string_view::npos || mark < 2) return std::nullopt;
    const std::string_view numbers = name.substr(mark + kTemporaryMark.size());
    const size_t dash = numbers.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    pid_t pid = 0;
    unsigned attempt = 0;
    const auto [pidEnd, pidError] = std::from_chars(numbers.data(), numbers.data() + dash, pid);
    const auto [end, error] = std::from_chars(numbers.data() + dash + 1, numbers.data() + numbers.size(), attempt);
    if (pidError != std::errc{} || pidEnd != numbers.data() + dash || error != std::errc{} ||
        end != numbers.data() + numbers.size() || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

bool ProcessAlive(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Makes a rename durable. The file is already in place when this runs, so a failure changes
// nothing for the caller.
void SyncDirectoryOf(const std::string& path)
{
    const int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

PendingFile::PendingFile(std::string path, std::string shown) : path_(std::move(path)), shown_(std::move(shown)) {}

PendingFile::~PendingFile()
{
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool PendingFile::Open(std::optional<mode_t> mode, std::string& reason)
{
    const std::filesystem::path path(path_);
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == "..") {
        reason = TrFill("nom de fichier invalide « %s »", {shown_});
        return false;
    }
    // Same directory as the file, so that the final rename never crosses file systems. A kept mode
    // is set only once the file is ours, and a private file is never readable by others meanwhile.
    int error = EEXIST;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && error == EEXIST; ++attempt) {
        const std::string candidate = (path.parent_path() / TemporaryName(name, attempt)).string();
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode ? 0600 : 0666);
        if (fd_ < 0) {
            error = errno;
            continue;
        }
        temporary_ = candidate;
        ::flock(fd_, LOCK_EX);  // a file just made: nobody else holds it, this never waits
        if (mode) ::fchmod(fd_, *mode);
        return true;
    }
    const std::string why = error == EACCES ? Tr("répertoire protégé en écriture") : ErrorText(error);
    reason = TrFill("création de %s impossible (%s)", {shown_, why});
    return false;
}

void PendingFile::KeepOwner(uid_t user, gid_t group)
{
    struct stat now {};
    if (::fstat(fd_, &now) != 0 || (now.st_uid == user && now.st_gid == group)) return;
    // Only root may give a file away; anyone may keep a group they belong to. When neither is
    // allowed the file stays the writer's, which is all that can be done.
    if (::fchown(fd_, user, group) == 0) return;
    [[maybe_unused]] const int groupKept = ::fchown(fd_, static_cast<uid_t>(-1), group);
}

bool PendingFile::Write(std::span<const uint8_t> bytes, std::string& reason)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            reason = TrFill("écriture de %s impossible (%s)", {shown_, ErrorText(done < 0 ? errno : ENOSPC)});
            return false;
        }
        bytes = bytes.subspan(static_cast<size_t>(done));
    }
    return true;
}

bool PendingFile::Sync(std::string& reason)
{
    const bool synced = ::fsync(fd_) == 0;
    const int syncError = errno;
    const int fd = fd_;
    fd_ = -1;
    const bool closed = ::close(fd) == 0;
    if (synced && closed) return true;
    reason = TrFill("écriture de %s impossible (%s)", {shown_, ErrorText(synced ? errno : syncError)});
    return false;
}

bool PendingFile::Replace(std::string& reason)
{
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        reason = TrFill("remplacement de %s impossible (%s)", {shown_, ErrorText(errno)});
        return false;
    }
    Moved();
    return true;
}

bool PendingFile::MoveToNew(const std::string& name, int& error)
{
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
        Moved();
        return true;
    }
    error = errno;
    // Some file systems cannot refuse to replace in a rename; a hard link can.
    if (error != EINVAL) return false;
    if (::link(temporary_.c_str(), name.c_str()) != 0) {
        error = errno;
        return false;
    }
    ::unlink(temporary_.c_str());
    Moved();
    return true;
}

void PendingFile::Moved()
{
    temporary_.clear();
    SyncDirectoryOf(path_);
}

void RemoveLeftovers(const std::string& directory)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        const std::optional<pid_t> writer = WriterOf(name);
        // This process has no write under way while it looks; an earlier run of the same id does not.
        if (!writer || (*writer != ::getpid() && ProcessAlive(*writer))) continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        // The lock is free only when no writer anywhere (another machine sharing the directory
        // included) still holds the file.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(entry.path().c_str());
        }
        ::close(fd);
    }
}

}  // namespace nuvix::files
