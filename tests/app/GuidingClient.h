#pragma once

// A client of the guiding server written from the protocol's public description (JSON-RPC 2.0
// requests, one JSON object per line, events with "Event"), talking to the program through an
// in-memory transport, on the headless desktop's fake clock.
#include "AppFixture.h"
#include "server/Transport.h"

#include <nlohmann/json.hpp>

#include <deque>
#include <map>
#include <set>

namespace nuvix::testing {

// The transport with no sockets: what clients "send" is queued, what the program sends is kept.
struct MemoryTransport final : server::Transport {
    std::vector<server::Incoming> Take(size_t most) override
    {
        std::vector<server::Incoming> taken;
        while (!incoming.empty() && taken.size() < most) {
            taken.push_back(std::move(incoming.front()));
            incoming.pop_front();
        }
        return taken;
    }
    void Send(server::ClientId client, const std::string& line) override { sent[client].push_back(line); }
    void Admit(server::ClientId client) override { admitted.insert(client); }
    void Broadcast(const std::string& line) override
    {
        for (const server::ClientId client : admitted)
            sent[client].push_back(line);
    }
    void Close(server::ClientId client) override { admitted.erase(client); }
    std::string HostName() const override { return "test"; }
    int Instance() const override { return 1; }

    std::deque<server::Incoming> incoming;
    std::map<server::ClientId, std::vector<std::string>> sent;
    std::set<server::ClientId> admitted;
};

class GuidingClient {
public:
    GuidingClient(MemoryTransport& transport, headless::HeadlessToolkit& kit, server::ClientId id)
        : transport_(transport), kit_(kit), id_(id)
    {
        transport_.incoming.push_back({server::Incoming::Kind::Connected, id_, {}});
        kit_.AdvanceMs(20);
    }

    // Sends a line as it is, and waits (on the fake clock) for the reply with its id.
    nlohmann::json Raw(const std::string& line, const nlohmann::json& id)
    {
        transport_.incoming.push_back({server::Incoming::Kind::Line, id_, line});
        for (int ms = 0; ms < 10'000; ms += 10) {
            kit_.AdvanceMs(10);
            while (replied_ < Lines().size()) {
                const nlohmann::json message = nlohmann::json::parse(Lines()[replied_++]);
                if (!message.contains("Event") && message["id"] == id) return message;
            }
        }
        return nullptr;
    }
    nlohmann::json Call(const std::string& method, nlohmann::json params = nullptr)
    {
        nlohmann::json request{{"jsonrpc", "2.0"}, {"method", method}, {"id", ++lastId_}};
        if (!params.is_null()) request["params"] = params;
        return Raw(request.dump(), lastId_);
    }
    // Runs the program until the event named comes (or `ms` pass); the event, or null.
    nlohmann::json WaitFor(const std::string& event, int64_t ms)
    {
        for (int64_t waited = 0; waited <= ms; waited += 10) {
            while (watched_ < Lines().size()) {
                nlohmann::json message = nlohmann::json::parse(Lines()[watched_++]);
                if (message.value("Event", "") == event) return message;
            }
            kit_.AdvanceMs(10);
        }
        return nullptr;
    }
    // Every event of that name received so far.
    std::vector<nlohmann::json> Events(const std::string& event) const
    {
        std::vector<nlohmann::json> found;
        for (const std::string& line : Lines()) {
            nlohmann::json message = nlohmann::json::parse(line);
            if (message.value("Event", "") == event) found.push_back(std::move(message));
        }
        return found;
    }
    const std::vector<std::string>& Lines() const { return transport_.sent[id_]; }

private:
    MemoryTransport& transport_;
    headless::HeadlessToolkit& kit_;
    server::ClientId id_;
    int lastId_ = 0;
    size_t replied_ = 0;
    size_t watched_ = 0;
};

}  // namespace nuvix::testing
