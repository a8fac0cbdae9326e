#pragma once

#include "platform/gfx/Geometry.h"
#include "platform/ui/Toolkit.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace nuvix::ui {
class Dialog;
}

namespace nuvix::headless {

// What the headless desktop saw, for tests to read back. Times are fake-clock milliseconds.

struct RecordedMessageBox {
    std::string text;
    std::string caption;
    std::string ownerCaption;  // empty without an owner
    int32_t atMs = 0;
    bool afterTimerHandler = false;  // asked inside a timer handler, opened once it returned
};

struct RecordedDialog {
    int run = 0;  // 1 for the first modal run of the toolkit's life, and so on
    std::string caption;
    int resourceId = 0;
    int result = 0;  // valid once closed
    bool closed = false;
    bool scripted = false;  // a queued script ran while it was open
    int32_t openedAtMs = 0;
    int32_t closedAtMs = 0;
};

struct RecordedSaveFile {
    ui::SaveFileRequest request;
    std::string ownerCaption;
    std::optional<std::string> answer;
};

enum class EventKind {
    TimerTick,  // id = timer id
    Paint,
    MessageBox,    // text = box text
    Beep,          // id = beep type
    DialogOpened,  // id = resource id
    DialogClosed,  // id = result
    SaveFileDialog,
    InputIgnored,  // a user action on a window or control that could not take it
    QuitRequested,
};

struct Event {
    EventKind kind;
    std::string window;  // caption of the window concerned, if any
    int id = 0;
    int32_t atMs = 0;
    std::string text;
};

// What one window looks like on the headless screen.
struct ScreenRecord {
    bool shown = false;
    std::string caption;
    gfx::Rect outer;
    int paints = 0;          // paints delivered
    int surfaceUpdates = 0;  // times its canvas was handed out for drawing
};

using DialogScript = std::function<void(ui::Dialog&)>;
using SaveFileScript = std::function<std::optional<std::string>(const ui::SaveFileRequest&)>;

}  // namespace nuvix::headless
