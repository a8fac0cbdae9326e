#pragma once

#include <cstdint>
#include <vector>

namespace nuvix::ui {

// How long event handlers hold the window thread, on whatever clock the backend keeps. The
// time a modal loop inside a handler waits for the user is left out: the handlers that run
// meanwhile are measured on their own, as nested ones.
class HandlerWatch {
public:
    struct Span {
        int64_t startNs = 0;
        int64_t heldNs = 0;
    };

    void Enter(int64_t nowNs) { open_.push_back({nowNs, 0, 0}); }
    // The time the handler that ends now held the thread.
    int64_t Leave(int64_t nowNs)
    {
        if (open_.empty()) return 0;
        const Open done = open_.back();
        open_.pop_back();
        const int64_t held = nowNs - done.startNs - done.modalNs;
        if (held > longest_.heldNs) longest_ = {done.startNs, held};
        return held;
    }
    void ModalBegin(int64_t nowNs)
    {
        if (!open_.empty()) open_.back().modalSinceNs = nowNs;
    }
    void ModalEnd(int64_t nowNs)
    {
        if (!open_.empty()) open_.back().modalNs += nowNs - open_.back().modalSinceNs;
    }

    // The longest hold since the start or the last reset.
    Span Longest() const { return longest_; }
    void ResetLongest() { longest_ = {}; }

private:
    struct Open {
        int64_t startNs;
        int64_t modalNs;
        int64_t modalSinceNs;
    };
    std::vector<Open> open_;
    Span longest_;
};

}  // namespace nuvix::ui
