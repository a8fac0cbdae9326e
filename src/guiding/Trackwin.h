#pragma once

#include "app/SharedDrawing.h"
#include "params/ParameterState.h"
#include "platform/ui/Window.h"

namespace nuvix {

// "OPTO": four virtual diodes, a pair per axis, that show each correction for its length when
// the corrections do not go out on a serial line. A free-floating window the observer moves and
// sizes; its place and size are kept in the parameter record. It has no close box.
class Trackwin : public ui::Window {
public:
    static constexpr int kAdPulseTimer = 3;
    static constexpr int kDecPulseTimer = 4;

    Trackwin(ui::Toolkit& toolkit, ui::Window* owner, ParameterState& parameters, const SharedDrawing& drawing);

    // A negative length lights the left diode of the pair, a positive one the right diode, for
    // |ms| milliseconds; 0 lights none. A new pulse of an axis replaces the one running.
    void ShowAdPulse(int ms);
    void ShowDecPulse(int ms);
    void ClearAdIndicators();
    void ClearDecIndicators();

    int CellWidth() const { return cellWidth_; }
    int LabelY() const { return labelY_; }
    // The four diodes, left to right: AD left, AD right, DEC left, DEC right.
    gfx::Rect Indicator(int index) const;

protected:
    void Paint(gfx::Canvas& canvas) override;
    void Timer(int id) override;
    void Sized(gfx::Size outerSize) override;
    void Moved(gfx::Point clientTopLeftOnScreen) override;

private:
    void Layout(int width, int height);
    void ShowPulse(int ms, int firstIndicator, int timer);
    void Clear(int firstIndicator, int timer);

    ParameterState& parameters_;
    const SharedDrawing& drawing_;
    int borderWidth_ = 0;
    int captionHeight_ = 0;
    int cellWidth_ = 0;  // an eighteenth of the width; also the diodes' top edge
    int labelY_ = 0;     // the diodes' bottom edge and the labels' line
};

}  // namespace nuvix
