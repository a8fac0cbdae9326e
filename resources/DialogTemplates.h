#pragma once

#include "platform/ui/Dialog.h"

namespace nuvix::resources {

// Template 602, "Prise de vue": the photo series' interval, base name and start button.
inline constexpr int kPhotoDialogResource = 602;
const ui::DialogTemplate& PhotoDialogTemplate();

}  // namespace nuvix::resources
