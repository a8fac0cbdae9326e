#pragma once

#include <optional>
#include <string>

namespace nuvix::server {

// The protocol's own port; further instances take the ports after it.
inline constexpr int kDefaultPort = 4400;
inline constexpr const char* kLoopback = "127.0.0.1";

// Where the guiding server listens. Only this computer by default: the protocol has no
// authentication, and a client may start and stop guiding and move the mount.
struct ListenAddress {
    bool enabled = true;
    std::string host = kLoopback;
    int port = kDefaultPort;
};

// "--server" values: "off", "PORT", "ADDR:PORT" or "[IPv6]:PORT"; empty when it is none of these.
std::optional<ListenAddress> ParseListenAddress(const std::string& text);

// The protocol's instance number for a port: 1 on 4400, 2 on 4401, ...; 1 below 4400.
int InstanceOf(int port);

}  // namespace nuvix::server
