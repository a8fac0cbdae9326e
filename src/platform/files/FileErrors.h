#pragma once

#include <string>

namespace nuvix::files {

// Why a file operation failed, in French for the reasons an observer meets (rights, a full disk,
// a read-only medium), in the system's words otherwise.
std::string ErrorText(int error);

}  // namespace nuvix::files
