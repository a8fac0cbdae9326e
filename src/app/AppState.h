#pragma once

#include "camera/CameraSettings.h"
#include "camera/FrameSource.h"
#include "capture/PhotoSeries.h"
#include "guiding/CorrectionOutput.h"
#include "guiding/GuideOutputPolicy.h"
#include "guiding/StarPosition.h"
#include "guiding/TrackingState.h"
#include "image/FramePipeline.h"
#include "params/ParameterState.h"

#include <cstdint>
#include <memory>
#include <string>

namespace nuvix {

// The main panel's own values.
struct PanelValues {
    int32_t manualThreshold = 32;  // 0..63, the detection threshold when manualThresholdOn
    bool manualThresholdOn = false;
    bool autoWhiteBalance = false;
};

// Where the main window was first placed; windows opened later place themselves from it.
struct ShellPlacement {
    int32_t mainWindowX = 0;
    int32_t mainWindowY = 0;
};

// Every value the windows share. The application object owns it and hands it by reference
// to the windows, each value keeping the one writer that owns it.
struct AppState {
    CameraSettings camera;
    bool cameraPresent = false;
    AcquisitionFacts acquisition;
    PanelValues panel;
    TrackingState tracking;
    AnalysisResults analysis;
    StarReading star;  // the guide star as measured on the latest frame
    CorrectionOutput output;
    GuideOutputPolicy guideOutput;  // written by the guiding server's clients
    IntegrationState integration;
    SeriesState series;
    ParameterState parameters;
    ShellPlacement placement;
};

}  // namespace nuvix
