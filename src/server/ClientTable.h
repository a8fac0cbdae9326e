#pragma once

#include "server/LineFramer.h"
#include "server/Transport.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvix::server {

// The connected clients, each with its request framer and the output not yet written to it.
// A client whose pending output passes the bound has stopped reading: it is to be dropped, so
// that it never holds the others or the program.
class ClientTable {
public:
    static constexpr size_t kMaxClients = 64;
    static constexpr size_t kMaxPendingBytes = 1024 * 1024;

    // A new client's id; empty when the table is full.
    std::optional<ClientId> Add();
    void Remove(ClientId client);
    bool Has(ClientId client) const { return clients_.count(client) != 0; }
    size_t Size() const { return clients_.size(); }
    std::vector<ClientId> Ids() const;

    // Appends the line and CR LF; false when the client passed the bound (it is to be dropped).
    bool Queue(ClientId client, std::string_view line);
    void Admit(ClientId client);
    // The line to every admitted client; returns those that passed the bound.
    std::vector<ClientId> Broadcast(std::string_view line);

    std::string_view Pending(ClientId client) const;
    void Sent(ClientId client, size_t bytes);
    // The connection is to end once its pending output is written.
    void MarkClosing(ClientId client);
    bool Closing(ClientId client) const;
    LineFramer* Framer(ClientId client);

private:
    struct Client {
        LineFramer framer;
        std::string pending;
        bool admitted = false;
        bool closing = false;
    };
    std::map<ClientId, Client> clients_;
    ClientId next_ = 1;
};

}  // namespace nuvix::server
