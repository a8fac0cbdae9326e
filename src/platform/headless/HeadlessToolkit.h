#pragma once

#include "platform/clock/FakeClock.h"
#include "platform/headless/HeadlessRecords.h"
#include "platform/headless/TimerQueue.h"
#include "platform/ui/Toolkit.h"

#include <deque>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

namespace nuvix::headless {

class HeadlessWindowPeer;

// The toolkit with no display. Time is a fake clock that only the test moves; moving it
// fires the due window timers in time order. Paints and boxes asked for inside a handler
// are delivered once the handler has returned. Message boxes are recorded and answered at
// once; modal dialogs and the save-file dialog run scripts queued by the test.
class HeadlessToolkit final : public ui::Toolkit {
public:
    explicit HeadlessToolkit(ui::ScreenMetrics metrics = {});
    ~HeadlessToolkit() override;
    HeadlessToolkit(const HeadlessToolkit&) = delete;
    HeadlessToolkit& operator=(const HeadlessToolkit&) = delete;

    // The seam.
    nuvix::Clock& GetClock() override { return clock_; }
    ui::ScreenMetrics Metrics() const override { return metrics_; }
    gfx::FontLibrary& Fonts() override { return *fonts_; }
    const gfx::Font* DefaultFont() const override { return defaultFont_.get(); }
    std::unique_ptr<ui::WindowPeer> CreatePeer(ui::Window& window) override;
    void MessageBox(ui::Window* owner, const std::string& text, const std::string& caption) override;
    void MessageBeep(int type) override;
    std::optional<std::string> SaveFileDialog(ui::Window* owner, const ui::SaveFileRequest& request) override;
    int RunModal(ui::Dialog& dialog) override;
    void Quit() override;

    // Screen.
    void SetMetrics(ui::ScreenMetrics metrics) { metrics_ = metrics; }
    FakeClock& Clock() { return clock_; }

    // Time. AdvanceMs moves the clock to now + ms, firing every timer due by then in time
    // order (ties in arming order), the clock set to each one's due time before it fires.
    void AdvanceMs(int64_t ms);
    // Fires the next timer to come, whenever it is due; false when none is armed.
    bool AdvanceToNextTimer();
    // When the next timer to come is due; empty when none is armed.
    std::optional<int64_t> NextTimerDueNs() const;
    std::optional<int> TimerPeriodMs(const ui::Window& window, int id) const;
    std::optional<int64_t> TimerDueNs(const ui::Window& window, int id) const;

    // Delivers pending paints and boxes, as the message loop does when it is idle.
    void Pump();

    // Scripts for what the user does in modal dialogs, used in order. A dialog still open
    // when its script returns (or with no script) is cancelled. A script is used only by a
    // dialog that is still open after its set-up.
    void QueueDialogScript(DialogScript script);
    size_t PendingDialogScripts() const { return dialogScripts_.size(); }
    // The save-file dialog's answers, in order; with none queued the user cancels.
    void QueueSaveFileAnswer(std::optional<std::string> answer);
    void QueueSaveFileScript(SaveFileScript script);

    // What the user does. Each dispatches to the window, then delivers the deferred work.
    // False (and nothing dispatched) when the window is not on screen, is a dialog that has
    // ended, or the control is missing or cannot take the action (disabled, hidden,
    // read-only edit, list index out of range).
    bool Click(ui::Window& window, int id);
    // The same with Shift held.
    bool ShiftClick(ui::Window& window, int id);
    bool Type(ui::Window& window, int id, std::string text);
    bool Select(ui::Window& window, int id, int index);
    // Gaining focus takes it from the control that had it first.
    bool Focus(ui::Window& window, int id, bool gained);
    // Only inside the client area.
    bool LeftButtonDown(ui::Window& window, gfx::Point p);
    // Outside the client area only while the button is held (the window has the capture).
    bool MouseMove(ui::Window& window, gfx::Point p, bool leftHeld);
    bool Resize(ui::Window& window, gfx::Size outer);
    bool MoveWindow(ui::Window& window, gfx::Point clientTopLeftOnScreen);
    bool Close(ui::Window& window);
    // The keyboard's dialog keys: Enter clicks the focused push button, else the default
    // button, else sends IDOK; Escape sends IDCANCEL.
    bool PressEnter(ui::Window& window);
    bool PressEscape(ui::Window& window);
    // In a dialog, Tab moves the focus to the next tab stop (Shift+Tab: backward).
    bool PressTab(ui::Window& window, bool backward = false);

    // Windows on screen (created), in creation order.
    const std::vector<ui::Window*>& Windows() const { return windows_; }
    ui::Window* FindWindow(std::string_view caption) const;
    // Null when the window is not created.
    const ScreenRecord* OnScreen(const ui::Window& window) const;

    // Records.
    const std::vector<RecordedMessageBox>& MessageBoxes() const { return boxes_; }
    const std::vector<int>& Beeps() const { return beeps_; }
    const std::vector<RecordedDialog>& Dialogs() const { return dialogs_; }
    const std::vector<RecordedSaveFile>& SaveFileRequests() const { return saveFiles_; }
    const std::vector<Event>& Events() const { return events_; }
    bool QuitRequested() const { return quitRequested_; }
    void ClearRecords();

private:
    friend class HeadlessWindowPeer;

    // Deferred work: a paint for `paint`, or else a message box.
    struct Deferred {
        ui::Window* paint = nullptr;
        RecordedMessageBox box;
    };

    // For the peers.
    void Register(HeadlessWindowPeer& peer);
    void Unregister(HeadlessWindowPeer& peer);
    void RequestPaint(ui::Window& window);
    void ArmTimer(ui::Window& window, int id, int periodMs);
    void KillTimer(ui::Window& window, int id) { timers_.Kill(window, id); }

    HeadlessWindowPeer* PeerFor(const ui::Window& window) const;
    bool ClickHolding(ui::Window& window, int id, bool shift);
    RecordedDialog* DialogRecord(int run);
    bool FireNext(int64_t limitNs);
    bool Accepts(const ui::Window& window);
    ui::Control* UsableControl(ui::Window& window, int id);
    template <class Action>
    bool UserAction(ui::Window& window, Action&& action);
    void RecordBox(RecordedMessageBox box);
    void Log(EventKind kind, const ui::Window* window, int id = 0, std::string text = {});
    int32_t NowMs() const { return clock_.PeekMilliseconds(); }

    ui::ScreenMetrics metrics_;
    FakeClock clock_;
    std::unique_ptr<gfx::FontLibrary> fonts_;
    std::unique_ptr<gfx::Font> defaultFont_;

    std::vector<HeadlessWindowPeer*> peers_;
    std::vector<ui::Window*> windows_;
    TimerQueue timers_;
    int timerDepth_ = 0;
    std::deque<Deferred> deferred_;
    std::set<const ui::Window*> paintPending_;
    std::vector<ui::Dialog*> modalStack_;

    std::deque<DialogScript> dialogScripts_;
    std::deque<SaveFileScript> saveFileScripts_;

    std::vector<RecordedMessageBox> boxes_;
    std::vector<int> beeps_;
    std::vector<RecordedDialog> dialogs_;
    int dialogRuns_ = 0;
    std::vector<RecordedSaveFile> saveFiles_;
    std::vector<Event> events_;
    bool quitRequested_ = false;
};

}  // namespace nuvix::headless
