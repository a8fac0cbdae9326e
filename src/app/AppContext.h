#pragma once

#include "app/AppState.h"
#include "camera/FrameSource.h"
#include "guiding/GuidePulseSink.h"
#include "guiding/GuidedFrameListener.h"
#include "image/FramePipeline.h"
#include "platform/ports/PortBus.h"
#include "platform/ports/SerialPorts.h"
#include "server/Transport.h"

#include <string>

namespace nuvix {

// What the windows of the application are built with: the shared state and the hardware.
struct AppContext {
    AppState& state;
    PortBus& bus;
    std::string paramFile;  // "campar.dat" in the current directory
    // Where the picture buffers come from; empty: the heap.
    FrameBuffers::BlockSource bufferSource = {};
    // The lines behind the serial ports' UARTs; null: no line is ever set up.
    SerialPorts* serial = nullptr;
    // Where frames come from; null: the parallel-port camera on the bus.
    FrameSource* frameSource = nullptr;
    // A mount that also takes every frame's corrections as timed pulses; null: none.
    GuidePulseSink* guidePulses = nullptr;
    // Where guided frames are logged; empty: no log.
    std::string guideLogPath = {};
    // The guiding server's connections; null: no server.
    server::Transport* guideServer = nullptr;
    // Told of every frame the correction output handles; set by the application.
    GuidedFrameListener* guidedFrames = nullptr;
};

}  // namespace nuvix
