// The guiding server's sockets on loopback: many clients, one that never reads, lines too long,
// floods. The server's thread runs in real time; every wait here is bounded.
#include "platform/net/SocketServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace nuvix::net {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(20);

// A client's socket, with what it has read so far.
struct TestClient {
    int fd = -1;
    std::string received;
    bool closed = false;

    explicit TestClient(int port, int receiveBuffer = 0)
    {
        fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    }
    ~TestClient() { close(fd); }
    void Write(const std::string& bytes)
    {
        EXPECT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    // Reads what is there, waiting at most `ms`.
    void ReadSome(int ms)
    {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0) return;
        char buffer[65536];
        const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) received.append(buffer, static_cast<size_t>(got));
        if (got == 0) closed = true;
    }
    size_t Lines() const
    {
        size_t n = 0;
        for (size_t at = received.find("\r\n"); at != std::string::npos; at = received.find("\r\n", at + 2))
            ++n;
        return n;
    }
};

std::unique_ptr<SocketServer> StartServer()
{
    Listening listening = SocketServer::Start({true, "127.0.0.1", 44000});
    EXPECT_TRUE(listening.server) << listening.problem;
    return std::move(listening.server);
}

// What the server heard, gathered until `enough` says so or the patience runs out.
std::vector<server::Incoming> Gather(SocketServer& s,
                                     const std::function<bool(const std::vector<server::Incoming>&)>& enough)
{
    std::vector<server::Incoming> heard;
    for (const auto end = Clock::now() + kPatience; !enough(heard) && Clock::now() < end;) {
        for (server::Incoming& in : s.Take(100))
            heard.push_back(std::move(in));
        usleep(1000);
    }
    return heard;
}

size_t Count(const std::vector<server::Incoming>& heard, server::Incoming::Kind kind)
{
    return std::count_if(heard.begin(), heard.end(), [kind](const auto& in) { return in.kind == kind; });
}

TEST(SocketServer, ThirtyTwoClientsHearEveryBroadcastWhileOneThatNeverReadsIsDropped)
{
    std::unique_ptr<SocketServer> s = StartServer();
    ASSERT_TRUE(s);
    std::vector<std::unique_ptr<TestClient>> clients;
    for (int i = 0; i < 31; ++i)
        clients.push_back(std::make_unique<TestClient>(s->Port()));
    TestClient stalled(s->Port(), 4096);
    const auto connected = Gather(*s, [](const auto& h) { return Count(h, server::Incoming::Kind::Connected) == 32; });
    ASSERT_EQ(Count(connected, server::Incoming::Kind::Connected), 32u);
    for (const server::Incoming& in : connected)
        s->Admit(in.client);

    // Far more than the stalled client's bound: it is dropped, the others get every line.
    const std::string line(4000, 'g');
    const size_t lines = 2 * (server::ClientTable::kMaxPendingBytes + 512 * 1024) / line.size();
    for (size_t i = 0; i < lines; ++i) {
        s->Broadcast(line);
        for (auto& c : clients)
            c->ReadSome(0);
    }
    for (const auto end = Clock::now() + kPatience; Clock::now() < end;) {
        bool all = true;
        for (auto& c : clients) {
            if (c->Lines() < lines) c->ReadSome(1);
            all = all && c->Lines() == lines;
        }
        if (all) break;
    }
    for (auto& c : clients)
        EXPECT_EQ(c->Lines(), lines);
    const auto dropped = Gather(*s, [](const auto& h) { return Count(h, server::Incoming::Kind::Closed) == 1; });
    EXPECT_EQ(Count(dropped, server::Incoming::Kind::Closed), 1u);
}

TEST(SocketServer, RequestsComeInAsLinesAndBadClientsGetAnErrorAndAreClosed)
{
    std::unique_ptr<SocketServer> s = StartServer();
    ASSERT_TRUE(s);
    TestClient good(s->Port());
    TestClient tooLong(s->Port());
    TestClient flood(s->Port());
    Gather(*s, [](const auto& h) { return Count(h, server::Incoming::Kind::Connected) == 3; });

    good.Write("{\"id\":1,\"method\":\"get_exposure\"}\r\n{\"id\":2,");
    good.Write("\"method\":\"loop\"}\r\n");
    tooLong.Write(std::string(server::LineFramer::kMaxLineBytes + 10, '{'));
    // More requests at once than may wait for the program (a client that does not wait for its
    // replies is only slowed down: it is not read while too many of its requests wait).
    std::string many;
    for (size_t i = 0; i < SocketServer::kBacklogClosed + 10; ++i)
        many += "{}\n";
    flood.Write(many);

    for (TestClient* c : {&tooLong, &flood}) {
        for (const auto end = Clock::now() + kPatience; !c->closed && Clock::now() < end;)
            c->ReadSome(10);
        EXPECT_TRUE(c->closed);
        EXPECT_NE(c->received.find("\"code\":-32600"), std::string::npos);
    }
    const auto heard = Gather(*s, [](const auto& h) { return Count(h, server::Incoming::Kind::Closed) == 2; });
    std::vector<std::string> fromGood;
    for (const auto& in : heard)
        if (in.kind == server::Incoming::Kind::Line && in.line.find("\"id\"") != std::string::npos)
            fromGood.push_back(in.line);
    EXPECT_EQ(fromGood,
              (std::vector<std::string>{"{\"id\":1,\"method\":\"get_exposure\"}", "{\"id\":2,\"method\":\"loop\"}"}));
    EXPECT_LE(Count(heard, server::Incoming::Kind::Line), 2 + SocketServer::kBacklogClosed);  // the rest unread

    // The good client is still served.
    s->Send(heard.front().client, "{\"reply\":1}");
    for (const auto end = Clock::now() + kPatience; good.Lines() == 0 && Clock::now() < end;)
        good.ReadSome(10);
    EXPECT_EQ(good.received, "{\"reply\":1}\r\n");
}

TEST(SocketServer, ATakenPortGivesTheNextOne)
{
    std::unique_ptr<SocketServer> first = StartServer();
    ASSERT_TRUE(first);
    Listening second = SocketServer::Start({true, "127.0.0.1", first->Port()});
    ASSERT_TRUE(second.server) << second.problem;
    EXPECT_EQ(second.server->Port(), first->Port() + 1);
    EXPECT_EQ(second.server->Instance(), second.server->Port() - 4400 + 1);
    EXPECT_FALSE(SocketServer::Start({true, "192.0.2.1", 4400}).server);  // not an address of this machine
}

}  // namespace
}  // namespace nuvix::net
