#pragma once

#include "platform/ui/Dialog.h"

namespace nuvix::resources {

// Template 601, "Paramètres": the telescope, the corrections' speeds and directions, the serial
// port and the guiding protocol.
inline constexpr int kParameterDialogResource = 601;
const ui::DialogTemplate& ParameterDialogTemplate();

// Template 602, "Prise de vue": the photo series' interval, base name and start button.
inline constexpr int kPhotoDialogResource = 602;
const ui::DialogTemplate& PhotoDialogTemplate();

}  // namespace nuvix::resources
