#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace nuvix::files {

// The outcome of replacing a file. `reason` says what went wrong, in French, when nothing was written.
struct ReplaceResult {
    bool written = false;
    std::string reason;
};

// Writes the pieces, one after the other, to a new file beside `path`, flushes it to the disk and
// renames it over `path`. Whatever happens, `path` afterwards holds either its old contents or all
// of the new bytes, and no temporary file is left behind.
ReplaceResult ReplaceFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces);

// Copies the file at `from` over `to` the same way, whatever its size.
ReplaceResult CopyFileOver(const std::string& from, const std::string& to);

}  // namespace nuvix::files
