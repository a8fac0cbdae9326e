#pragma once

#include "analysis/EnergyWindow.h"
#include "analysis/HistogramWindow.h"
#include "app/AppContext.h"
#include "camera/CameraLink.h"
#include "camera/ParallelCamera.h"
#include "capture/FitsPictures.h"
#include "capture/PictureOwner.h"
#include "capture/PictureRecord.h"
#include "guiding/GuidingEvents.h"
#include "guiding/MountGuider.h"
#include "guiding/TOptowin.h"
#include "guiding/Trackwin.h"
#include "image/BitmapHeaders.h"
#include "image/FramePipeline.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/CommandTable.h"
#include "platform/ui/Window.h"

#include <array>
#include <memory>
#include <string>

namespace nuvix {

class NuvixMainWindow;
class compwin;
class tphotowin;

// The image window, hub of the system: it owns the camera state, the picture buffers, the
// drawing surface and the acquisition timers, shows the live picture with the zoom of the
// tracking box, and carries the dark-frame, parameter, photo, reticle and guiding controls.
class NuvixWindow : public ui::Window, public PictureOwner, private PipelineHooks {
public:
    static constexpr int kPhotoTimer = 0;
    static constexpr int kAcquisitionTimer = 1;
    static constexpr int kAcquisitionStartMs = 500;
    static constexpr int kShortExposurePeriodMs = 100;
    // While the camera is lost, a short presence check runs this often: the picture comes
    // back soon after the camera does, and the windows stay responsive meanwhile.
    static constexpr uint32_t kRetryAfterCameraLostMs = 1000;
    // With a mount of timed pulses: what it tells is looked at this often, and its state is
    // written on the line under "Track".
    static constexpr int kMountTimer = 6;
    static constexpr int kMountPeriodMs = 250;
    static constexpr gfx::Point kMountStatusAt{4, 392};

    NuvixWindow(ui::Toolkit& toolkit, AppContext& context, NuvixMainWindow& mainWindow);
    ~NuvixWindow() override;

    void AcquisitionStep();
    void ShowFrame();
    void RedrawBoxAndZoom();
    void ResetIntegration() override;
    files::ReplaceResult SaveImage(const std::string& path, files::WriteMode mode) override;
    files::ReplaceResult SaveFrameFits(const std::string& path, files::WriteMode mode) override;
    files::ReplaceResult SaveSumFits(const std::string& path) override;
    // Puts the record's correction protocol into force (at construction and after the
    // parameter dialog).
    void ApplyProtocol();

    const FrameBuffers& Buffers() const { return buffers_; }
    FrameBuffers& Buffers() { return buffers_; }
    const gfx::Bitmap& BackBuffer() const { return backBuffer_; }
    float ExposureMs() const { return exposureMs_; }
    int32_t LastFrameEnd() const { return lastFrameEnd_; }
    bool ReticleOn() const { return reticleOn_; }
    bool CameraAnswering() const { return cameraAnswering_; }
    Trackwin& Indicators() { return *trackwin_; }
    TOptowin& DeltaPanel() { return *optowin_; }
    // Where the guiding tells what it does (calibration, guided frames, changes of state): the
    // guide log listens, and any other observer may subscribe.
    GuidingEvents& Events() { return guidingEvents_; }
    // The guiding of the mount of timed pulses; null without one.
    MountGuider* Guider() { return mountGuider_.get(); }
    THistwin& Histogram() { return *histwin_; }
    specwin& EnergyGraph() { return *energy_; }

protected:
    void SetupWindow() override;
    void Paint(gfx::Canvas& canvas) override;
    bool Command(int id, int code) override;
    void Timer(int id) override;
    void LeftButtonDown(gfx::Point p) override;
    void MouseMove(gfx::Point p, bool leftButtonHeld) override;

private:
    static const ui::CommandEntry<NuvixWindow> kCommands[];

    void CreateControls();
    void CreateAnalysisWindows();
    void CreateGuidingWindows();
    void LoadParameters();
    void DetectCameraAtStart();
    void CreateCaptureWindows();
    bool CameraMayStep();
    bool CameraIsBack();
    void CameraStoppedAnswering();
    void MoveBoxTo(gfx::Point p);
    void PictureStep();
    // What the FITS pictures keep of a frame that came in the step begun at `stepStart`, exposed
    // `exposureMs` with the settings uploaded; `added`: the pipeline added it to the sum.
    void NoteFrame(int32_t stepStart, float exposureMs, bool longExposure, const CameraSettings& uploaded, bool added);
    PictureFacts FactsOf(const std::optional<Exposure>& exposure, int32_t combined) const;
    void ToggleTracking();
    void BeginCalibration();
    void CalibrationStep();
    void PollMount();
    StarReading MeasureStar(const FrameBytes& frame);
    void ShowMountStatus();

    // Frame pipeline hooks.
    void AnalyseFrame(const FrameBytes& frame) override;
    void DarkFrameTaken() override;
    void ShowFrameCount(int32_t frameCount) override;

    // Commands.
    void CmReticle();
    void CmTrack();
    void CmRecalibrate();
    void CmDarkFrame();
    void CmUseDark();
    void CmParameters();
    void CmPhoto();

    AppContext& context_;
    AppState& state_;
    NuvixMainWindow& mainWindow_;
    CameraLink link_;
    ParallelCamera parallelCamera_;
    FrameSource& camera_;  // the parallel-port camera, or the context's frame source
    FrameBuffers buffers_;
    PictureRecord pictureRecord_;
    BitmapInfoBlock displayInfo_{};
    BitmapInfoBlock fileInfo_{};
    std::array<uint16_t, kPaletteSize> colourIndex_{};
    gfx::Palette palette_;
    gfx::Bitmap backBuffer_;
    bool firstTick_ = false;
    float exposureMs_ = 1000.0f;
    int32_t lastFrameEnd_ = 0;
    bool reticleOn_ = false;
    bool cameraAnswering_ = true;
    int32_t cameraLostAt_ = 0;
    ui::Control* trackButton_ = nullptr;
    ui::Control* darkButton_ = nullptr;
    ui::Control* useDarkBox_ = nullptr;
    ui::Control* reticleBox_ = nullptr;
    std::unique_ptr<Trackwin> trackwin_;
    std::unique_ptr<TOptowin> optowin_;
    std::unique_ptr<compwin> integrationWindow_;
    std::unique_ptr<tphotowin> photoDialog_;
    std::unique_ptr<THistwin> histwin_;
    std::unique_ptr<specwin> energy_;
    StarMeasurer measurer_;
    GuidingEvents guidingEvents_;
    std::unique_ptr<GuideLog> guideLog_;
    std::unique_ptr<MountGuider> mountGuider_;
};

}  // namespace nuvix
