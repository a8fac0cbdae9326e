#pragma once

#include <string>

namespace nuvix::files {

// Where a write to a path lands: the path with every symbolic link at its end followed, so that a
// link the observer made to a file kept elsewhere goes on pointing at the file that is updated.
// A link to a file that does not exist yet gives that file.
struct Target {
    std::string path;
    int error = 0;  // errno when the links could not be followed (a loop, no rights); path is then empty
};
Target FollowLinks(const std::string& path);

// The directory that holds `path`: "." for a bare name.
std::string DirectoryOf(const std::string& path);

// The file's name as the observer gave it, and the file really written when a link leads elsewhere:
// "campar.dat (lien vers /home/obs/c8.dat)".
std::string Shown(const std::string& path, const Target& target);

}  // namespace nuvix::files
