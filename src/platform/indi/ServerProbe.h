#pragma once

#include "platform/indi/IndiAddress.h"

namespace nuvix::indi {

// Whether something accepts connections at the address, found out within about `timeoutMs`
// (a name lookup may take longer). The client library tells every attempt it makes on the
// terminal; a server that is away is looked for with this instead, quietly.
bool ServerListening(const ServerAddress& address, int timeoutMs);

}  // namespace nuvix::indi
