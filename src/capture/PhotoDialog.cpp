#include "capture/PhotoDialog.h"

#include "platform/clock/Clock.h"
#include "platform/text/Translate.h"
#include "platform/ui/Toolkit.h"
#include "resources/DialogTemplates.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace nuvix {

namespace {

constexpr const char* kDefaultBaseName = "Capture.bmp";

// Where a default base name and a typed title are placed.
std::string ProcessDirectory()
{
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::string(".") : directory.string();
}

}  // namespace

const ui::CommandEntry<tphotowin> tphotowin::kCommands[] = {
    {kStartStopButton, &tphotowin::CmStartStop},
    {kCancelButton, &tphotowin::CmCancel},
    {kBrowseButton, &tphotowin::CmBrowse},
};

tphotowin::tphotowin(ui::Toolkit& toolkit, ui::Window& owner, PictureOwner& pictures, SeriesState& series,
                     IntegrationState& integration, ParameterState& parameters)
    : ui::Dialog(toolkit, &owner, resources::PhotoDialogTemplate()),
      pictures_(pictures),
      series_(series),
      integration_(integration),
      parameters_(parameters)
{
}

ui::Control& tphotowin::Item(int id) const
{
    // Every id asked for is one of the template's, and the controls exist from the first run on.
    return *FindControl(id);
}

void tphotowin::SetupWindow()
{
    if (series_.defaultSeriesName) {
        series_.seriesPath = (std::filesystem::path(ProcessDirectory()) / kDefaultBaseName).string();
    }
    Item(kTitleEdit).SetText(FileTitle(series_.seriesPath));
    Item(kIntervalEdit).SetText(std::to_string(parameters_.params->photoIntervalValue));
    if (series_.seriesRunning) {
        ShowRunning();
    } else {
        ShowIdle();
    }
    Item(kStartStopButton).SetFocus();
}

void tphotowin::ShowRunning()
{
    Item(kIntervalEdit).SetReadOnly(true);
    Item(kTitleEdit).SetReadOnly(true);
    Item(kUnitText).Show(true);
    Item(kCounterText).Show(true);
    Item(kUnitList).Show(false);
    Item(kBrowseButton).Show(false);
    Item(kStartStopButton).SetText(Tr("Stop"));
    RefreshCounter(integration_.frameCount);
}

void tphotowin::ShowIdle()
{
    ui::Control& units = Item(kUnitList);
    for (const char* name : kSeriesUnitNames)
        units.AddItem(Tr(name));
    units.SetSelection(SeriesUnitIndex(parameters_.params->photoIntervalUnit));
    Item(kStartStopButton).SetText(Tr("Commencer"));
    Item(kUnitText).Show(false);
    Item(kCounterText).Show(false);
    // A new series numbers its pictures from 0; the sum itself is kept.
    integration_.frameCount = 0;
}

void tphotowin::RefreshCounter(int32_t n)
{
    if (!IsCreated()) return;
    // A picture that could not be written shows in the unit's place until one is written again:
    // the number's static reaches past the dialog's edge and has no room for more.
    const char* unit = kSeriesUnitNames[SeriesUnitIndex(parameters_.params->photoIntervalUnit)];
    Item(kUnitText).SetText(series_.lastPictureFailed ? Tr("Échec écriture") : Tr(unit));
    Item(kCounterText).SetText(TrFill("N°: %s", {std::to_string(n)}));
}

bool tphotowin::Command(int id, int code)
{
    return ui::DispatchCommand<tphotowin>(*this, kCommands, id, code) || ui::Dialog::Command(id, code);
}

void tphotowin::CmStartStop()
{
    series_.seriesRunning = !series_.seriesRunning;
    if (series_.seriesRunning) {
        parameters_.params->photoIntervalValue = ParseIntervalText(Item(kIntervalEdit).Text());
        parameters_.params->photoIntervalUnit = std::max(Item(kUnitList).Selection(), 0);
        series_.failureTold = false;
        series_.lastPictureFailed = false;
    }
    EndDialog(kOk);
}

void tphotowin::CmBrowse()
{
    // A typed title only seeds the file dialog (an absolute one is taken as it is); the request's
    // defaults are the picture filter "Image (*.bmp)" and the extension "bmp".
    ui::SaveFileRequest request;
    request.initialPath = (std::filesystem::path(ProcessDirectory()) / Item(kTitleEdit).Text()).string();
    if (const std::optional<std::string> chosen = Kit().SaveFileDialog(this, request)) {
        series_.seriesPath = *chosen;
        series_.defaultSeriesName = false;
    }
    Item(kTitleEdit).SetText(FileTitle(series_.seriesPath));
}

void tphotowin::TakeDuePicture(int32_t nowMs)
{
    if (!series_.seriesRunning) return;
    // Wrap-safe: a series still runs after the clock's 24.8 days.
    if (MillisecondsSince(series_.lastPhotoTime, nowMs) < static_cast<uint32_t>(std::max(series_.seriesInterval, 0))) {
        return;
    }
    series_.lastPhotoTime = nowMs;
    const int32_t n = integration_.frameCount;
    const files::ReplaceResult outcome = pictures_.SaveImage(SeriesFileName(series_.seriesPath, n));
    series_.lastPictureFailed = !outcome.written;
    if (!outcome.written) ReportFailure(outcome);
    if (series_.photoDialogOpen) RefreshCounter(n);
    integration_.frameCount = n + 1;
}

void tphotowin::ReportFailure(const files::ReplaceResult& outcome)
{
    // Once per run: a full disk would otherwise open a box at every interval. The series goes
    // on, since the next picture may find room again.
    if (series_.failureTold) return;
    series_.failureTold = true;
    Kit().MessageBox(IsCreated() ? static_cast<ui::Window*>(this) : Parent(),
                     TrFill("Image de la série non enregistrée : %s.\nLa prise de vue continue.", {outcome.reason}),
                     Tr("Erreur"));
}

}  // namespace nuvix
