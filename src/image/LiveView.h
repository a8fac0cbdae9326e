#pragma once

#include "guiding/TrackingState.h"
#include "image/FrameGeometry.h"
#include "platform/gfx/Canvas.h"

#include <array>
#include <cstdint>

namespace nuvix {

// The image window's drawing, step by step. The back buffer holds the picture at (0, 0)
// and the twofold zoom of the tracking box at (100, 250); the window shows the picture at
// (0, 0) and the zoom at (111, 251), with overlays drawn straight on the window.
namespace liveview {

inline constexpr int kBackBufferWidth = 320;
inline constexpr int kBackBufferHeight = 460;
inline constexpr gfx::Point kZoomInBackBuffer{100, 250};
inline constexpr gfx::Point kZoomOnWindow{111, 251};
inline constexpr int kZoomSize = 200;

// The window's static background: black, the separating line, the zoom frame, the labels.
void PaintBackground(gfx::Canvas& window, const gfx::Pen& greyPen);

// The picture into the back buffer through the palette-index colour table.
void DrawPicture(gfx::Canvas& back, const FrameBytes& frame, const std::array<uint16_t, 256>& colourIndex,
                 const gfx::Palette& palette);
// The tracking box of the picture, stretched twofold into the zoom region.
void StretchZoom(gfx::Canvas& back, const TrackingState& tracking);
// The zoom region of the back buffer onto the window.
void CopyZoomToWindow(gfx::Canvas& window, const gfx::Bitmap& back);

// In the zoom: a line from the star to the guide reference and a circle on the reference,
// while guiding and when the reference lies inside the box.
void DrawReferenceMark(gfx::Canvas& back, const TrackingState& tracking, const gfx::Pen& redPen);
// The cross-hair on the star in the zoom; arms stop short of the star and of the edges.
void DrawCrossHair(gfx::Canvas& window, const TrackingState& tracking, const gfx::Pen& yellowPen);
// The box outline and the reticle lines are inverted, so drawing them twice restores the picture.
void InvertBoxOutline(gfx::Canvas& window, const TrackingState& tracking);
void InvertReticleLines(gfx::Canvas& window, const TrackingState& tracking);
// Ticks every 10 arc seconds along the reticle lines, when they are more than 2 pixels apart.
void DrawReticleTicks(gfx::Canvas& window, const TrackingState& tracking, float arcsecPerPixel, const gfx::Pen& redPen);
// The reference marked on the picture while guiding is suspended.
void DrawSuspendedReference(gfx::Canvas& window, const TrackingState& tracking, const gfx::Pen& redPen);

// Puts the box's centre on a click in the picture, kept inside the picture and, while
// guiding, around the reference. False (nothing changed) for a click below the picture.
bool PlaceBox(TrackingState& tracking, gfx::Point click);

}  // namespace liveview
}  // namespace nuvix
