#include "platform/files/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace nuvix::files {

namespace {

constexpr int kTemporaryNameAttempts = 100;

std::string SystemText(int error)
{
    return std::generic_category().message(error);
}

// A file being written under a temporary name. Unless Commit succeeds, the destructor removes it,
// so an abandoned write leaves nothing behind.
class PendingFile {
public:
    explicit PendingFile(std::string target) : target_(std::move(target)) {}
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    ~PendingFile()
    {
        if (fd_ >= 0) ::close(fd_);
        if (!temporary_.empty()) ::unlink(temporary_.c_str());
    }

    bool Open(std::string& reason)
    {
        const std::filesystem::path target(target_);
        const std::string name = target.filename().string();
        if (name.empty() || name == "." || name == "..") {
            reason = "nom de fichier invalide « " + target_ + " »";
            return false;
        }
        // Same directory as the target, so the final rename never crosses file systems.
        const std::filesystem::path directory = target.parent_path();
        int error = EEXIST;
        for (int attempt = 0; attempt < kTemporaryNameAttempts && error == EEXIST; ++attempt) {
            const std::string candidate =
                (directory / ("." + name + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt)))
                    .string();
            fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                temporary_ = candidate;
                return true;
            }
            error = errno;
        }
        reason = "création de " + target_ + " impossible (" + SystemText(error) + ")";
        return false;
    }

    bool Write(std::span<const uint8_t> bytes, std::string& reason)
    {
        while (!bytes.empty()) {
            const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0) {
                reason = "écriture de " + target_ + " impossible (" + SystemText(done < 0 ? errno : ENOSPC) + ")";
                return false;
            }
            bytes = bytes.subspan(static_cast<size_t>(done));
        }
        return true;
    }

    bool Commit(std::string& reason)
    {
        if (::fsync(fd_) != 0) {
            reason = "écriture de " + target_ + " impossible (" + SystemText(errno) + ")";
            return false;
        }
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            reason = "écriture de " + target_ + " impossible (" + SystemText(errno) + ")";
            return false;
        }
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
            reason = "remplacement de " + target_ + " impossible (" + SystemText(errno) + ")";
            return false;
        }
        temporary_.clear();
        SyncDirectory();
        return true;
    }

private:
    // Makes the rename itself durable. The new file is already in place when this runs, so a
    // failure here changes nothing for the caller.
    void SyncDirectory() const
    {
        std::filesystem::path directory = std::filesystem::path(target_).parent_path();
        if (directory.empty()) directory = ".";
        const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return;
        ::fsync(fd);
        ::close(fd);
    }

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
};

}  // namespace

ReplaceResult ReplaceFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces)
{
    ReplaceResult result;
    PendingFile file(path);
    if (!file.Open(result.reason)) return result;
    for (const auto piece : pieces) {
        if (!file.Write(piece, result.reason)) return result;
    }
    result.written = file.Commit(result.reason);
    return result;
}

ReplaceResult CopyFileOver(const std::string& from, const std::string& to)
{
    ReplaceResult result;
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        result.reason = "lecture de " + from + " impossible (" + SystemText(errno) + ")";
        return result;
    }
    PendingFile file(to);
    bool copied = file.Open(result.reason);
    std::array<uint8_t, 64 * 1024> buffer;
    while (copied) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.reason = "lecture de " + from + " impossible (" + SystemText(errno) + ")";
            copied = false;
        } else if (got == 0) {
            break;
        } else {
            copied = file.Write(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(got)), result.reason);
        }
    }
    ::close(source);
    if (copied) result.written = file.Commit(result.reason);
    return result;
}

}  // namespace nuvix::files
