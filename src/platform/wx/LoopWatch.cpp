#include "platform/wx/LoopWatch.h"

#include <glib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace nuvix::wx {

namespace {

constexpr int64_t kLoggedNs = 1'000'000;

// GLib calls the poll function without a pointer of ours: the watch is one per process.
struct Watch {
    std::FILE* log = nullptr;
    GPollFunc poll = nullptr;
    std::chrono::steady_clock::time_point start;
    int64_t busySinceNs = -1;  // when the loop last stopped waiting; -1 before the first wait
    int64_t longestNs = 0;
    int64_t longestAtNs = 0;
};
Watch watch;

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - watch.start).count();
}

gint WatchedPoll(GPollFD* fds, guint count, gint timeout)
{
    const int64_t now = NowNs();
    if (watch.busySinceNs >= 0) {
        const int64_t busy = now - watch.busySinceNs;
        if (busy > watch.longestNs) {
            watch.longestNs = busy;
            watch.longestAtNs = watch.busySinceNs;
        }
        if (busy >= kLoggedNs) {
            std::fprintf(watch.log, "%lld %lld\n", static_cast<long long>(watch.busySinceNs / 1'000'000),
                         static_cast<long long>(busy / 1000));
        }
    }
    const gint result = watch.poll(fds, count, timeout);
    watch.busySinceNs = NowNs();
    return result;
}

}  // namespace

void StartLoopWatch()
{
    const char* path = std::getenv("NUVIX_HANDLER_LOG");
    if (watch.log || !path || !*path) return;
    watch.log = std::fopen(path, "w");
    if (!watch.log) {
        std::fprintf(stderr, "nuvix: cannot write %s\n", path);
        return;
    }
    watch.start = std::chrono::steady_clock::now();
    GMainContext* context = g_main_context_default();
    watch.poll = g_main_context_get_poll_func(context);
    g_main_context_set_poll_func(context, WatchedPoll);
}

void StopLoopWatch()
{
    if (!watch.log) return;
    g_main_context_set_poll_func(g_main_context_default(), watch.poll);
    std::fprintf(watch.log, "longest %lld us at %lld ms\n", static_cast<long long>(watch.longestNs / 1000),
                 static_cast<long long>(watch.longestAtNs / 1'000'000));
    std::fclose(watch.log);
    watch = Watch{};
}

}  // namespace nuvix::wx
