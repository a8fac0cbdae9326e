#pragma once

#include "capture/PictureOwner.h"
#include "image/FramePipeline.h"
#include "platform/ui/CommandTable.h"
#include "platform/ui/Window.h"

#include <string>

namespace nuvix {

// "Addition": how the integrated sum is shown, its reset, the saving of the picture as
// "buffer.bmp" and of the sum as "buffer.fits", and the guiding tolerance that lets a frame into
// the sum. It stands just left of the main window and has no close box: it lives as long as the
// image window.
class compwin : public ui::Window {
public:
    enum : int {
        kResetButton = 800,
        kSaveButton = 801,
        kShowAverageBox = 802,
        kGainBox = 804,
        kStretchBox = 805,
        kGainUp = 806,
        kGainDown = 807,
        kToleranceUp = 808,
        kToleranceDown = 809,
    };
    static constexpr int kWidth = 100;
    static constexpr int kHeight = 486;

    // `mainWindowCorner` is where the main window was first placed.
    compwin(ui::Toolkit& toolkit, ui::Window* owner, gfx::Point mainWindowCorner, IntegrationState& integration,
            PictureOwner& pictures);

    // N, drawn as the last step of every frame.
    void ShowCount(int32_t frameCount);

protected:
    void Paint(gfx::Canvas& canvas) override;
    bool Command(int id, int code) override;

private:
    static const ui::CommandEntry<compwin> kCommands[];

    void DrawLabel(int x, int y, int width, const std::string& text);
    void DrawSettings();

    void CmShowAverage();
    void CmReset();
    void CmGainUp();
    void CmGainDown();
    void CmGainOn();
    void CmStretchOn();
    void CmToleranceUp();
    void CmToleranceDown();
    void CmSave();

    IntegrationState& integration_;
    PictureOwner& pictures_;
};

}  // namespace nuvix
