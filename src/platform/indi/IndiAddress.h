#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nuvix::indi {

inline constexpr int kDefaultPort = 7624;

// Where an INDI server listens.
struct ServerAddress {
    std::string host;
    int port = kDefaultPort;
    friend bool operator==(const ServerAddress&, const ServerAddress&) = default;
};

// "HOST" or "HOST:PORT" (an IPv6 address in brackets: "[::1]:7624"); empty when the text is not
// that: no host, or a port that is not a number from 1 to 65535.
std::optional<ServerAddress> ParseServerAddress(std::string_view text);
// "host:port", as the user wrote it back.
std::string ToString(const ServerAddress& address);

}  // namespace nuvix::indi
