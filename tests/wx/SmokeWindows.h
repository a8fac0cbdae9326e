#pragma once

#include "platform/ui/Toolkit.h"
#include "platform/ui/Window.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace nuvix::wx::smoke {

inline constexpr gfx::Color kPale{255, 255, 200};
inline constexpr gfx::Color kRed{255, 0, 0};
inline constexpr gfx::Color kBlue{0, 0, 255};
inline constexpr gfx::Color kGreen{0, 200, 0};

// The outer rectangle of a top-level window with that client size.
inline gfx::Rect OuterFor(ui::Toolkit& kit, int x, int y, gfx::Size client)
{
    const ui::ScreenMetrics m = kit.Metrics();
    return gfx::Rect::FromSize(x, y, client.width + 2 * m.borderWidth,
                               client.height + m.captionHeight + 2 * m.borderWidth);
}

// A window that fills its client area with one colour when painted, and counts what it
// is sent.
class FilledWindow : public ui::Window {
public:
    FilledWindow(ui::Toolkit& kit, ui::Window* parent, std::string caption, ui::WindowStyle style, gfx::Rect outer,
                 gfx::Color fill)
        : Window(kit, parent, std::move(caption), style, outer), fill_(fill)
    {
    }

    int paints = 0;
    int closes = 0;
    std::vector<std::pair<int, int>> commands;  // id, notification code
    std::vector<gfx::Point> clicks;
    std::vector<std::pair<gfx::Point, bool>> moves;  // where, left button held
    std::function<void(int)> onTimer;

protected:
    bool Command(int id, int code) override
    {
        commands.emplace_back(id, code);
        return true;
    }
    void Paint(gfx::Canvas& canvas) override
    {
        ++paints;
        const gfx::Size c = ClientSize();
        canvas.FillRect(gfx::Rect::FromSize(0, 0, c.width, c.height), gfx::Brush::Solid(fill_));
    }
    void LeftButtonDown(gfx::Point p) override { clicks.push_back(p); }
    void MouseMove(gfx::Point p, bool leftButtonHeld) override { moves.emplace_back(p, leftButtonHeld); }
    void Timer(int id) override
    {
        if (onTimer) onTimer(id);
    }
    void CloseRequested() override
    {
        ++closes;
        Window::CloseRequested();
    }

private:
    gfx::Color fill_;
};

}  // namespace nuvix::wx::smoke
