#include "platform/indi/IndiAddress.h"

#include <charconv>

namespace nuvix::indi {

namespace {

std::optional<int> ParsePort(std::string_view text)
{
    int port = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, port);
    if (text.empty() || error != std::errc{} || stop != end || port < 1 || port > 65535) return std::nullopt;
    return port;
}

}  // namespace

std::optional<ServerAddress> ParseServerAddress(std::string_view text)
{
    ServerAddress address;
    std::string_view port;
    if (text.starts_with('[')) {
        const size_t close = text.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        address.host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) return std::nullopt;
        if (!rest.empty()) port = rest.substr(1);
        if (!rest.empty() && port.empty()) return std::nullopt;
    } else {
        // A bare IPv6 address has several colons and no port.
        const size_t colon = text.find(':');
        const bool withPort = colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos;
        address.host = withPort ? text.substr(0, colon) : text;
        if (withPort) {
            port = text.substr(colon + 1);
            if (port.empty()) return std::nullopt;
        }
    }
    if (address.host.empty()) return std::nullopt;
    if (!port.empty()) {
        const std::optional<int> number = ParsePort(port);
        if (!number) return std::nullopt;
        address.port = *number;
    }
    return address;
}

std::string ToString(const ServerAddress& address)
{
    const bool v6 = address.host.find(':') != std::string::npos;
    return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

}  // namespace nuvix::indi
