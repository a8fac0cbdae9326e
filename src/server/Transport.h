#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nuvix::server {

using ClientId = uint32_t;

// What the transport heard from its clients, in order.
struct Incoming {
    enum class Kind { Connected, Line, Closed };
    Kind kind = Kind::Line;
    ClientId client = 0;
    std::string line;  // a request line, without its CR LF
};

// Where the guiding server's lines come from and go to. The window thread calls every member;
// none of them waits on a client.
class Transport {
public:
    virtual ~Transport() = default;

    // At most `most` of what arrived since the last call.
    virtual std::vector<Incoming> Take(size_t most) = 0;
    // One line (CR LF is added) to one client.
    virtual void Send(ClientId client, const std::string& line) = 0;
    // From now on the client hears the broadcasts too: its first messages have gone out.
    virtual void Admit(ClientId client) = 0;
    // One line to every admitted client.
    virtual void Broadcast(const std::string& line) = 0;
    // Ends the connection once what was sent to it has gone out.
    virtual void Close(ClientId client) = 0;
    // The host name and instance number the events carry.
    virtual std::string HostName() const = 0;
    virtual int Instance() const = 0;
};

}  // namespace nuvix::server
