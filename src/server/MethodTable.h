#pragma once

#include "server/GuiderCommands.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace nuvix::server {

// A method's answer: its result, or an error code with its message.
struct MethodReply {
    nlohmann::json result;
    int errorCode = 0;  // 0: the result stands
    std::string errorMessage;
};

// Runs the method `name` with `params` (an array, an object, or null when there were none).
MethodReply CallMethod(std::string_view name, const nlohmann::json& params, GuiderCommands& guider);

}  // namespace nuvix::server
