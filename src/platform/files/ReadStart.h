#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nuvix::files {

struct FileStart {
    std::vector<uint8_t> bytes;
    int error = 0;  // errno when the file could not be read
};

// The first `limit` bytes of a plain file (all of a shorter one). Never waits: a pipe or a device
// in the file's place is an error (EINVAL), not something to read.
FileStart ReadStart(const std::string& path, size_t limit);

}  // namespace nuvix::files
