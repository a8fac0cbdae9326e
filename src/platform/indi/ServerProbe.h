#pragma once

#include "platform/indi/IndiAddress.h"

namespace nuvix::indi {

// Why a server could not be reached, for the observer and the log.
enum class ServerProblem {
    None,         // something accepts connections there
    Refused,      // nothing listens on that port
    NoAnswer,     // no answer within the time allowed
    UnknownHost,  // the name does not resolve
    Unreachable,  // the network says no
    Lost,         // it was reached, then the connection closed
};

// Whether something accepts connections at the address, found out within about `timeoutMs`
// (a name lookup may take longer). The client library tells every attempt it makes on the
// terminal; a server that is away is looked for with this instead, quietly.
ServerProblem ProbeServer(const ServerAddress& address, int timeoutMs);

// "connection refused" and the like, in plain English for stderr and the guide log.
const char* ProblemLogText(ServerProblem problem);
// The same in French for the observer.
const char* ProblemText(ServerProblem problem);

}  // namespace nuvix::indi
