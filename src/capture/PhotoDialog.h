#pragma once

#include "capture/PhotoSeries.h"
#include "capture/PictureOwner.h"
#include "image/FramePipeline.h"
#include "params/ParameterState.h"
#include "platform/ui/CommandTable.h"
#include "platform/ui/Dialog.h"

#include <string>

namespace nuvix {

// "Prise de vue": sets up, starts and stops the photo series. The object lives as long as the
// image window and is shown modally on demand; the pictures themselves are taken by
// TakeDuePicture on the image window's ticks.
class tphotowin : public ui::Dialog {
public:
    // The controls of template 602.
    enum : int {
        kIntervalEdit = 301,
        kUnitList = 302,
        kTitleEdit = 303,
        kBrowseButton = 304,
        kCancelButton = 305,
        kStartStopButton = 306,
        kUnitText = 320,
        kCounterText = 321,
    };

    tphotowin(ui::Toolkit& toolkit, ui::Window& owner, PictureOwner& pictures, SeriesState& series,
              IntegrationState& integration, ParameterState& parameters);

    // The picture step: while a series runs and its interval has passed, writes the picture
    // under its numbered name and advances the number.
    void TakeDuePicture(int32_t nowMs);
    // Statics 320 and 321: the stored unit and the number n.
    void RefreshCounter(int32_t n);

protected:
    void SetupWindow() override;
    bool Command(int id, int code) override;

private:
    static const ui::CommandEntry<tphotowin> kCommands[];

    void CmStartStop();
    void CmCancel() { EndDialog(kCancel); }
    void CmBrowse();
    void ShowRunning();
    void ShowIdle();
    void ReportFailure(const files::ReplaceResult& outcome);
    // Writes the picture under `number` or the next free one, which `number` then holds.
    files::ReplaceResult SavePicture(int32_t& number);
    ui::Control& Item(int id) const;

    PictureOwner& pictures_;
    SeriesState& series_;
    IntegrationState& integration_;
    ParameterState& parameters_;
};

}  // namespace nuvix
