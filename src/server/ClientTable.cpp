#include "server/ClientTable.h"

namespace nuvix::server {

std::optional<ClientId> ClientTable::Add()
{
    if (clients_.size() >= kMaxClients) return std::nullopt;
    const ClientId id = next_++;
    clients_.emplace(id, Client{});
    return id;
}

void ClientTable::Remove(ClientId client)
{
    clients_.erase(client);
}

std::vector<ClientId> ClientTable::Ids() const
{
    std::vector<ClientId> ids;
    for (const auto& [id, client] : clients_)
        ids.push_back(id);
    return ids;
}

bool ClientTable::Queue(ClientId client, std::string_view line)
{
    const auto it = clients_.find(client);
    if (it == clients_.end()) return true;
    std::string& pending = it->second.pending;
    if (pending.size() + line.size() + 2 > kMaxPendingBytes) return false;
    pending.append(line);
    pending.append("\r\n");
    return true;
}

void ClientTable::Admit(ClientId client)
{
    if (const auto it = clients_.find(client); it != clients_.end()) it->second.admitted = true;
}

std::vector<ClientId> ClientTable::Broadcast(std::string_view line)
{
    std::vector<ClientId> over;
    for (auto& [id, client] : clients_) {
        if (client.admitted && !client.closing && !Queue(id, line)) over.push_back(id);
    }
    return over;
}

std::string_view ClientTable::Pending(ClientId client) const
{
    const auto it = clients_.find(client);
    return it == clients_.end() ? std::string_view() : std::string_view(it->second.pending);
}

void ClientTable::Sent(ClientId client, size_t bytes)
{
    if (const auto it = clients_.find(client); it != clients_.end()) it->second.pending.erase(0, bytes);
}

void ClientTable::MarkClosing(ClientId client)
{
    if (const auto it = clients_.find(client); it != clients_.end()) it->second.closing = true;
}

bool ClientTable::Closing(ClientId client) const
{
    const auto it = clients_.find(client);
    return it != clients_.end() && it->second.closing;
}

LineFramer* ClientTable::Framer(ClientId client)
{
    const auto it = clients_.find(client);
    return it == clients_.end() ? nullptr : &it->second.framer;
}

}  // namespace nuvix::server
