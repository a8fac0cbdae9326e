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
    bool existed = false;  // refused because a file of that name exists (WriteMode::CreateOnly)
};

enum class WriteMode {
    Replace,     // a file of that name is replaced
    CreateOnly,  // a file (or link) of that name is left alone and nothing is written, even one
                 // that appears while the new file is being written
};

// Writes the pieces, one after the other, to a new file beside `path`, flushes it to the disk and
// renames it over `path`. Whatever happens, `path` afterwards holds either its old contents or all
// of the new bytes, and no temporary file is left behind by a failure.
// What the observer set is kept: a symbolic link is followed and its target replaced, the file's
// permission bits (and owner, where the rights allow) stay, and a file that nobody may write, or
// anything but a plain file, is not replaced. CreateOnly makes a new file or nothing: it puts it in
// place with a rename that refuses to replace, so that no race can overwrite a file.
ReplaceResult ReplaceFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces,
                          WriteMode mode = WriteMode::Replace);

// Why ReplaceFile would refuse or fail to replace `path` now, found without writing anything: a
// protected file or directory, a broken link. Empty when nothing stands in the way yet (a full disk,
// for one, shows only when writing).
std::string ReplaceObstacle(const std::string& path);

// Where KeepCopy put the copy, or why it could not.
struct KeptCopy {
    std::string path;  // empty when no copy was made
    std::string reason;
};

// Copies the file at `from`, whatever its size, to a new file `to`, or `to.1`, `to.2`... when that
// name is taken: an earlier copy is never replaced.
KeptCopy KeepCopy(const std::string& from, const std::string& to);

}  // namespace nuvix::files
