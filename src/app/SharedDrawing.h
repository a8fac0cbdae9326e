#pragma once

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"

#include <memory>

namespace nuvix {

inline constexpr gfx::Color kPanelGrey{100, 100, 100};

// The brush, pens and font that the main window makes and every other window borrows.
struct SharedDrawing {
    gfx::Brush panelBrush = gfx::Brush::Solid(kPanelGrey);
    gfx::Pen whitePen = gfx::Pen::White();
    gfx::Pen greyPen = gfx::Pen::Solid(kPanelGrey);
    gfx::Pen wideGreyPen = gfx::Pen::Solid(kPanelGrey, 2);
    gfx::Pen redPen = gfx::Pen::Solid({255, 0, 0});
    gfx::Pen orangePen = gfx::Pen::Solid({255, 120, 0});
    gfx::Pen yellowPen = gfx::Pen::Solid({255, 255, 0});
    std::unique_ptr<gfx::Font> smallFont;
};

}  // namespace nuvix
