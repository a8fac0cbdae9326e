// The guiding server's latency: from the last byte of a frame's correction on the serial line to
// the moment its GuideStep event has been read by each of 8 clients connected over loopback
// (the slowest of them counts), through the event's encoding, the server's thread and the
// sockets. The whole program on the headless desktop over the simulator, guiding.
#include "GuidedSession.h"
#include "platform/net/SocketServer.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 8;

// Notes when each correction's last byte (the DEC closing byte, the fourth of a frame) is written.
class LineWatch final : public nuvix::PortDevice {
public:
    explicit LineWatch(nuvix::PortDevice& device) : device_(device) {}
    uint8_t ReadPort(uint16_t address) override { return device_.ReadPort(address); }
    void WritePort(uint16_t address, uint8_t value) override
    {
        if (++bytes_ % 4 == 0) corrections.push_back(Clock::now());
        device_.WritePort(address, value);
    }
    std::vector<Clock::time_point> corrections;

private:
    nuvix::PortDevice& device_;
    long bytes_ = 0;
};

// Eight clients read by one thread; each GuideStep's arrival is noted per client and frame.
class Readers {
public:
    explicit Readers(int port)
    {
        for (int i = 0; i < kClients; ++i) {
            const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(static_cast<uint16_t>(port));
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
            fds_.push_back(fd);
        }
        arrivals_.resize(kClients);
        pending_.resize(kClients);
        thread_ = std::thread([this] { Run(); });
    }
    ~Readers()
    {
        stop_ = true;
        thread_.join();
        for (const int fd : fds_)
            close(fd);
    }
    // When each client read frame `frame`'s GuideStep; empty until all have.
    std::vector<Clock::time_point> Arrivals(int frame)
    {
        std::lock_guard lock(mutex_);
        std::vector<Clock::time_point> all;
        for (auto& client : arrivals_) {
            const auto it = client.find(frame);
            if (it == client.end()) return {};
            all.push_back(it->second);
        }
        return all;
    }
    int Greeted() const { return greeted_; }

private:
    void Run()
    {
        std::vector<pollfd> polled;
        for (const int fd : fds_)
            polled.push_back({fd, POLLIN, 0});
        char buffer[65536];
        while (!stop_) {
            if (poll(polled.data(), polled.size(), 5) <= 0) continue;
            const Clock::time_point now = Clock::now();
            for (size_t i = 0; i < polled.size(); ++i) {
                if (!(polled[i].revents & POLLIN)) continue;
                const ssize_t got = recv(fds_[i], buffer, sizeof buffer, MSG_DONTWAIT);
                if (got <= 0) continue;
                pending_[i].append(buffer, static_cast<size_t>(got));
                for (size_t end; (end = pending_[i].find("\r\n")) != std::string::npos;) {
                    Note(i, pending_[i].substr(0, end), now);
                    pending_[i].erase(0, end + 2);
                }
            }
        }
    }
    void Note(size_t client, const std::string& line, Clock::time_point now)
    {
        if (line.find("\"Event\":\"AppState\"") != std::string::npos) ++greeted_;
        if (line.find("\"Event\":\"GuideStep\"") == std::string::npos &&
            line.find("\"Event\":\"StarLost\"") == std::string::npos) {
            return;
        }
        const size_t at = line.find("\"Frame\":");
        if (at == std::string::npos) return;
        std::lock_guard lock(mutex_);
        arrivals_[client][std::stoi(line.substr(at + 8))] = now;
    }

    std::vector<int> fds_;
    std::vector<std::string> pending_;
    std::mutex mutex_;
    std::vector<std::map<int, Clock::time_point>> arrivals_;
    std::atomic<int> greeted_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

void GuideStepLatency(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / "nuvix-server-latency-bench";
    std::filesystem::create_directories(dir);
    {
        nuvix::net::Listening listening = nuvix::net::SocketServer::Start({true, "127.0.0.1", 46400});
        if (!listening.server) {
            state.SkipWithError(listening.problem.c_str());
            return;
        }
        nuvix::bench::GuidedSession session(dir);
        LineWatch line(session.mount);
        nuvix::AttachUarts(session.bus, line);
        session.guideServer = listening.server.get();
        Readers readers(listening.server->Port());
        session.Start();  // "Track" pressed by the observer: guiding
        for (int i = 0; i < 500 && readers.Greeted() < kClients; ++i) {
            session.kit.AdvanceMs(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (readers.Greeted() < kClients) state.SkipWithError("the clients were not greeted");
        const size_t before = line.corrections.size();
        session.kit.AdvanceMs(200);  // guided frames begin a run: frame numbers count from here on
        const int firstFrame = static_cast<int>(line.corrections.size() - before);
        const size_t start = line.corrections.size();
        for (auto _ : state)
            session.Image().AcquisitionStep();
        std::vector<double> latencies;
        for (size_t k = start; k < line.corrections.size(); ++k) {
            const int frame = firstFrame + static_cast<int>(k - start) + 1;
            std::vector<Clock::time_point> arrivals;
            for (int wait = 0; wait < 2000 && arrivals.empty(); ++wait) {
                arrivals = readers.Arrivals(frame);
                if (arrivals.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (arrivals.empty()) {
                state.SkipWithError("a GuideStep did not arrive");
                break;
            }
            const auto last = *std::max_element(arrivals.begin(), arrivals.end());
            latencies.push_back(std::chrono::duration<double, std::micro>(last - line.corrections[k]).count());
        }
        state.counters["clients"] = kClients;
        state.counters["latency_p50_us"] = Percentile(latencies, 0.50);
        state.counters["latency_p99_us"] = Percentile(latencies, 0.99);
        state.counters["latency_max_us"] = Percentile(latencies, 1.0);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(GuideStepLatency)->Iterations(2000)->Unit(benchmark::kMillisecond);

}  // namespace
