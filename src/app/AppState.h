#pragma once

#include "camera/CameraSettings.h"
#include "capture/PhotoSeries.h"
#include "guiding/TrackingState.h"
#include "image/FramePipeline.h"
#include "params/Params.h"

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

// The observer's parameters and what is derived from them.
struct ParameterState {
    std::unique_ptr<tparam> params;  // the current record
    float arcsecPerPixel = 0.0f;     // image scale
    std::string pendingMessage;      // a problem with the file, told to the observer once
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
    PanelValues panel;
    TrackingState tracking;
    AnalysisResults analysis;
    IntegrationState integration;
    SeriesState series;
    ParameterState parameters;
    ShellPlacement placement;
};

}  // namespace nuvix
