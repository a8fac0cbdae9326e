#pragma once

#include "platform/headless/HeadlessToolkit.h"
#include "platform/ui/Window.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace nuvix::headless::test {

struct Tick {
    std::string window;
    int id = 0;
    int32_t atMs = 0;
    friend bool operator==(const Tick&, const Tick&) = default;
};

inline std::vector<int32_t> TickTimes(const std::vector<Tick>& ticks)
{
    std::vector<int32_t> times;
    for (const Tick& t : ticks)
        times.push_back(t.atMs);
    return times;
}

// A window that logs what reaches it and runs what the test puts in its handlers.
class ProbeWindow : public ui::Window {
public:
    ProbeWindow(HeadlessToolkit& kit, std::string caption, ui::WindowStyle style = ui::WindowStyle::Popup,
                gfx::Rect outer = gfx::Rect::FromSize(0, 0, 200, 100), bool visible = true)
        : ui::Window(kit, nullptr, std::move(caption), style, outer, visible), kit_(kit)
    {
    }

    std::vector<Tick>* ticks = nullptr;  // shared between windows to see the global order
    std::function<void(int id)> onTimer;
    std::function<void(int id, int code)> onCommand;
    std::vector<std::pair<int, int>> commands;
    int paints = 0;
    std::vector<gfx::Size> sizes;
    std::vector<gfx::Point> clicks;

protected:
    void Timer(int id) override
    {
        if (ticks) ticks->push_back({Caption(), id, kit_.Clock().PeekMilliseconds()});
        if (onTimer) onTimer(id);
    }
    bool Command(int id, int code) override
    {
        commands.emplace_back(id, code);
        if (onCommand) onCommand(id, code);
        return true;
    }
    void Paint(gfx::Canvas& canvas) override
    {
        ++paints;
        canvas.FillRect(gfx::Rect::FromSize(0, 0, 1, 1), gfx::Brush::Solid({1, 2, 3}));
    }
    void Sized(gfx::Size outer) override { sizes.push_back(outer); }
    void LeftButtonDown(gfx::Point p) override { clicks.push_back(p); }

private:
    HeadlessToolkit& kit_;
};

}  // namespace nuvix::headless::test
