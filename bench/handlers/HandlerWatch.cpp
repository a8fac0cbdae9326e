// Linked into nuvix_timed, the program's own entry with every window handler timed on the
// monotonic clock. At the end of the run it prints how many handlers ran, the longest ones and how
// many took longer than 20 and 50 ms, then each one longer than NUVIX_HANDLER_LIST_MS (20 by
// default) with the time it began (seconds since the start), to the file named by
// NUVIX_HANDLER_REPORT or else to the terminal: the measure of whether the window stays
// responsive, and when it did not.
#include "platform/ui/HandlerWatch.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Watch final : public nuvix::ui::HandlerWatch {
public:
    void Began(const nuvix::ui::Window& window, const char* handler, int id) override
    {
        const std::string caption = window.Caption().empty() ? "(child)" : window.Caption();
        running_.push_back({Clock::now(), caption + " " + handler + " " + std::to_string(id)});
    }
    void Ended() override
    {
        if (running_.empty()) return;
        const Running done = running_.back();
        running_.pop_back();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - done.start).count();
        ++count_;
        over20_ += ms > 20.0;
        over50_ += ms > 50.0;
        if (ms > listedOverMs_ && slow_.size() < kMostSlowListed) {
            slow_.push_back({std::chrono::duration<double>(done.start - start_).count(), ms, done.what});
        }
        longest_.push_back({ms, done.what});
        std::sort(longest_.begin(), longest_.end(), [](const auto& a, const auto& b) { return a.ms > b.ms; });
        if (longest_.size() > 5) longest_.pop_back();
    }
    void Report() const
    {
        const char* path = std::getenv("NUVIX_HANDLER_REPORT");
        std::FILE* out = path ? std::fopen(path, "w") : nullptr;
        if (!out) out = stderr;
        std::fprintf(out, "handlers: %ld, longer than 20 ms: %ld, longer than 50 ms: %ld\n", count_, over20_, over50_);
        for (const auto& worst : longest_)
            std::fprintf(out, "  %8.2f ms  %s\n", worst.ms, worst.what.c_str());
        std::fprintf(out, "longer than %g ms, when:\n", listedOverMs_);
        for (const auto& slow : slow_)
            std::fprintf(out, "  at %9.3f s  %8.2f ms  %s\n", slow.atSeconds, slow.ms, slow.what.c_str());
        if (out != stderr) std::fclose(out);
    }

private:
    struct Running {
        Clock::time_point start;
        std::string what;
    };
    struct Worst {
        double ms;
        std::string what;
    };
    struct Slow {
        double atSeconds;
        double ms;
        std::string what;
    };
    static constexpr size_t kMostSlowListed = 10'000;
    const Clock::time_point start_ = Clock::now();
    const double listedOverMs_ = [] {
        const char* text = std::getenv("NUVIX_HANDLER_LIST_MS");
        return text ? std::atof(text) : 20.0;
    }();
    std::vector<Slow> slow_;
    std::vector<Running> running_;
    std::vector<Worst> longest_;
    long count_ = 0;
    long over20_ = 0;
    long over50_ = 0;
};

Watch watch;

// Installed before main runs, reported after it has returned.
struct Installed {
    Installed() { nuvix::ui::SetHandlerWatch(&watch); }
    ~Installed()
    {
        nuvix::ui::SetHandlerWatch(nullptr);
        watch.Report();
    }
} installed;

}  // namespace
