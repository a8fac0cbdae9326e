#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace nuvix::server {

// One JSON value as one line of text. Strings that came from a client may hold bytes that are
// not UTF-8; they are written with the replacement character instead of failing.
inline std::string JsonLine(const nlohmann::json& value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace nuvix::server
