#pragma once

#include "server/GuiderCommands.h"

#include <optional>
#include <string>
#include <string_view>

namespace nuvix::server {

// JSON-RPC 2.0's error codes, and the one this server gives for a request it understood but
// could not carry out (the reason is in the message).
enum ErrorCode : int {
    kParseError = -32700,
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
    kInternalError = -32603,
    kNotDone = 1,
};

// Answers one request line from a client: the reply line, or nothing for a request without an
// id (a notification, which JSON-RPC answers with nothing even when it fails). Any bytes at all
// may come in; whatever they are, the answer is a reply or an error reply, and nothing changes
// in the program unless the request was a valid one.
std::optional<std::string> HandleRequestLine(std::string_view line, GuiderCommands& guider);

}  // namespace nuvix::server
