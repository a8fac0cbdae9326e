#pragma once

#include "params/ParamSession.h"
#include "params/Params.h"
#include "params/SettingsFile.h"

#include <memory>
#include <string>

namespace nuvix {

// The observer's parameters and what is derived from them.
struct ParameterState {
    std::unique_ptr<tparam> params;  // the current record
    float arcsecPerPixel = 0.0f;     // image scale
    std::string pendingMessage;      // a problem with the file, told to the observer once
    ParamFileSession file;           // campar.dat over this run
    SettingsFile settings;           // nuvix.ini beside it
};

}  // namespace nuvix
