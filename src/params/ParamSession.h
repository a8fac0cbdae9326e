#pragma once

#include "params/ParamFile.h"
#include "platform/files/OwnerLock.h"

#include <optional>
#include <string>

namespace nuvix {

// The parameter file over one run: claimed and read at the start, stored once at the end unless
// the start found that this run must leave it alone.
struct ParamFileSession {
    files::OwnerLock lock;
    std::string leaveAsIs;               // why the end of the run must not store; empty when it stores
    std::optional<SaveResult> endOfRun;  // the store's outcome, once it ran
};

struct SessionStart {
    tparam record;
    std::string message;  // for the observer, in French; empty when there is nothing to tell
};

// Claims the file against other runs in the same place, removes what killed runs left beside it,
// reads it, and says whether this run's settings will be stored, and if not, why.
SessionStart StartParamSession(const std::string& path, ParamFileSession& session);

// Stores the record at the end of the run, unless the session must leave the file alone. Runs once:
// later calls give the first outcome.
const SaveResult& EndParamSession(const std::string& path, const tparam& record, ParamFileSession& session);

}  // namespace nuvix
