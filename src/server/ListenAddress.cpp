#include "server/ListenAddress.h"

#include <charconv>

namespace nuvix::server {

namespace {

std::optional<int> Port(const std::string& text)
{
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc{} || end != text.data() + text.size() || port < 1 || port > 65535) return std::nullopt;
    return port;
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(const std::string& text)
{
    if (text == "off") return ListenAddress{false, {}, 0};
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        const std::optional<int> port = Port(text);
        if (!port) return std::nullopt;
        return ListenAddress{true, kLoopback, *port};
    }
    std::string host = text.substr(0, colon);
    const std::optional<int> port = Port(text.substr(colon + 1));
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return std::nullopt;  // an IPv6 address needs its brackets
    }
    if (!port || host.empty()) return std::nullopt;
    return ListenAddress{true, host, *port};
}

int InstanceOf(int port)
{
    return port >= kDefaultPort ? port - kDefaultPort + 1 : 1;
}

}  // namespace nuvix::server
