#pragma once

#include "app/AppContext.h"
#include "app/SharedDrawing.h"
#include "platform/ui/CommandTable.h"
#include "platform/ui/Window.h"

#include <memory>
#include <string>

namespace nuvix {

class NuvixWindow;

// The one top-level window: the live view on the left, the camera-setting panel on the right.
class NuvixMainWindow : public ui::Window {
public:
    NuvixMainWindow(ui::Toolkit& toolkit, AppContext& context, const std::string& caption);
    ~NuvixMainWindow() override;

    // Called by the image window after every frame analysis and by the automatic white balance.
    virtual void RefreshSettingsDisplay();
    virtual void ExposureUp();
    virtual void ExposureDown();

    void UpdateExposureDisplay();
    // Copies the camera settings into the record and stores it, once; true when it is on disk.
    // Failures go to stderr here; the close box also shows them.
    bool StoreParameters();
    void DrawLabelBox(const std::string& text, int x, int y, int width);

    const SharedDrawing& Drawing() const { return drawing_; }
    NuvixWindow* ImageWindow() const { return imageWindow_.get(); }
    const std::string& ExposureTextShown() const { return exposureText_; }

protected:
    void SetupWindow() override;
    void Paint(gfx::Canvas& canvas) override;
    bool Command(int id, int code) override;
    void CloseRequested() override;

private:
    static const ui::CommandEntry<NuvixMainWindow> kCommands[];

    void CreatePanelControls();

    // Panel commands.
    void CmExposureUp() { ExposureUp(); }
    void CmExposureDown() { ExposureDown(); }
    void CmExposurePreset1s() { SetExposureStep(232); }
    void CmExposurePreset2s() { SetExposureStep(248); }
    void CmExposurePreset4s() { SetExposureStep(264); }
    void CmContrastUp();
    void CmContrastDown();
    void CmContrast100() { SetContrast(100); }
    void CmContrast180() { SetContrast(180); }
    void CmContrastMax() { SetContrast(255); }
    void CmWhiteBalanceUp();
    void CmWhiteBalanceDown();
    void CmAutoWhiteBalance();
    void CmThresholdUp();
    void CmThresholdDown();
    void CmManualThreshold();
    void SetExposureStep(uint16_t step);
    void SetContrast(uint16_t value);
    void EndAutoWhiteBalance();

    AppContext& context_;
    AppState& state_;
    std::string exposureText_;
    int captionHeight_ = 0;
    SharedDrawing drawing_;
    ui::Control* autoWhiteBalanceBox_ = nullptr;
    ui::Control* manualThresholdBox_ = nullptr;
    std::unique_ptr<NuvixWindow> imageWindow_;
};

}  // namespace nuvix
