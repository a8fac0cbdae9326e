#include "platform/files/ReadStart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace nuvix::files {

FileStart ReadStart(const std::string& path, size_t limit)
{
    FileStart start;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        start.error = errno;
        return start;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        start.error = errno;
    } else if (S_ISDIR(st.st_mode)) {
        start.error = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        start.error = EINVAL;
    }
    start.bytes.resize(limit);
    size_t got = 0;
    while (start.error == 0 && got < limit) {
        const ssize_t done = ::read(fd, start.bytes.data() + got, limit - got);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) start.error = errno;
        if (done <= 0) break;
        got += static_cast<size_t>(done);
    }
    start.bytes.resize(start.error == 0 ? got : 0);
    ::close(fd);
    return start;
}

}  // namespace nuvix::files
