#include "platform/headless/HeadlessToolkit.h"

#include "platform/headless/HeadlessPeers.h"
#include "platform/ui/Dialog.h"

#include <algorithm>

namespace nuvix::headless {

namespace {
constexpr int64_t kNsPerMs = 1'000'000;
// A paint handler that keeps invalidating its own window would otherwise never let the
// loop go idle; the rest waits for the next pump.
constexpr int kMaxDeliveriesPerPump = 1000;

// The font of a fresh device context: the system's bold sans at about 13 pixels.
gfx::FontRequest DefaultFontRequest()
{
    gfx::FontRequest request;
    request.family = "sans-serif";
    request.pixelHeight = 13;
    request.bold = true;
    return request;
}
}  // namespace

HeadlessToolkit::HeadlessToolkit(ui::ScreenMetrics metrics)
    : metrics_(metrics), fonts_(gfx::FontLibrary::Create()), defaultFont_(fonts_->Load(DefaultFontRequest()))
{
}

HeadlessToolkit::~HeadlessToolkit()
{
    // Windows that outlive the toolkit must not report to it when they are destroyed.
    for (HeadlessWindowPeer* peer : peers_)
        peer->Detach();
}

std::unique_ptr<ui::WindowPeer> HeadlessToolkit::CreatePeer(ui::Window& window)
{
    return std::make_unique<HeadlessWindowPeer>(*this, window);
}

void HeadlessToolkit::Register(HeadlessWindowPeer& peer)
{
    peers_.push_back(&peer);
    windows_.push_back(&peer.Window());
}

void HeadlessToolkit::Unregister(HeadlessWindowPeer& peer)
{
    ui::Window* window = &peer.Window();
    timers_.KillAll(*window);
    std::erase(peers_, &peer);
    std::erase(windows_, window);
    paintPending_.erase(window);
    std::erase_if(deferred_, [&](const Deferred& d) { return d.paint == window; });
}

void HeadlessToolkit::RequestPaint(ui::Window& window)
{
    // Paint requests coalesce, as the system's paint message does.
    if (paintPending_.insert(&window).second) deferred_.push_back({&window, {}});
}

void HeadlessToolkit::ArmTimer(ui::Window& window, int id, int periodMs)
{
    timers_.Arm(window, id, periodMs, clock_.NowNs());
}

void HeadlessToolkit::Pump()
{
    for (int budget = kMaxDeliveriesPerPump; budget > 0 && !deferred_.empty(); --budget) {
        Deferred work = std::move(deferred_.front());
        deferred_.pop_front();
        if (!work.paint) {
            RecordBox(std::move(work.box));
            continue;
        }
        ui::Window& window = *work.paint;
        paintPending_.erase(&window);
        if (!window.IsCreated() || !window.IsVisible()) continue;
        Log(EventKind::Paint, &window);
        if (HeadlessWindowPeer* peer = PeerFor(window)) ++peer->MutableRecord().paints;
        window.DispatchPaint();
    }
}

void HeadlessToolkit::AdvanceMs(int64_t ms)
{
    Pump();
    const int64_t target = clock_.NowNs() + ms * kNsPerMs;
    while (FireNext(target)) {
    }
    clock_.AdvanceToNs(target);
}

bool HeadlessToolkit::AdvanceToNextTimer()
{
    Pump();
    const std::optional<ArmedTimer> next = timers_.Next();
    return next && FireNext(next->dueNs);
}

std::optional<int64_t> HeadlessToolkit::NextTimerDueNs() const
{
    const std::optional<ArmedTimer> next = timers_.Next();
    return next ? std::optional<int64_t>(next->dueNs) : std::nullopt;
}

bool HeadlessToolkit::FireNext(int64_t limitNs)
{
    const std::optional<ArmedTimer> timer = timers_.NextDue(limitNs);
    if (!timer) return false;
    clock_.AdvanceToNs(timer->dueNs);
    Log(EventKind::TimerTick, timer->window, timer->id);
    timers_.BeginFiring(*timer);
    ++timerDepth_;
    timer->window->DispatchTimer(timer->id);
    --timerDepth_;
    timers_.EndFiring(*timer, clock_.NowNs());
    Pump();
    return true;
}

std::optional<int> HeadlessToolkit::TimerPeriodMs(const ui::Window& window, int id) const
{
    const ArmedTimer* t = timers_.Find(window, id);
    return t ? std::optional<int>(t->periodMs) : std::nullopt;
}

std::optional<int64_t> HeadlessToolkit::TimerDueNs(const ui::Window& window, int id) const
{
    const ArmedTimer* t = timers_.Find(window, id);
    return t ? std::optional<int64_t>(t->dueNs) : std::nullopt;
}

void HeadlessToolkit::MessageBox(ui::Window* owner, const std::string& text, const std::string& caption)
{
    RecordedMessageBox box{text, caption, owner ? owner->Caption() : std::string{}, 0, timerDepth_ > 0};
    if (timerDepth_ > 0) {
        // Opened once the timer handler has returned, so that its ticks keep coming.
        deferred_.push_back({nullptr, std::move(box)});
        return;
    }
    RecordBox(std::move(box));
}

void HeadlessToolkit::RecordBox(RecordedMessageBox box)
{
    box.atMs = NowMs();
    events_.push_back({EventKind::MessageBox, box.ownerCaption, 0, box.atMs, box.text});
    boxes_.push_back(std::move(box));
}

void HeadlessToolkit::MessageBeep(int type)
{
    beeps_.push_back(type);
    Log(EventKind::Beep, nullptr, type);
}

void HeadlessToolkit::QueueSaveFileAnswer(std::optional<std::string> answer)
{
    saveFileScripts_.push_back([answer = std::move(answer)](const ui::SaveFileRequest&) { return answer; });
}

void HeadlessToolkit::QueueSaveFileScript(SaveFileScript script)
{
    saveFileScripts_.push_back(std::move(script));
}

std::optional<std::string> HeadlessToolkit::SaveFileDialog(ui::Window* owner, const ui::SaveFileRequest& request)
{
    Log(EventKind::SaveFileDialog, owner, 0, request.initialPath);
    std::optional<std::string> answer;
    if (!saveFileScripts_.empty()) {
        SaveFileScript script = std::move(saveFileScripts_.front());
        saveFileScripts_.pop_front();
        answer = script(request);
    }
    saveFiles_.push_back({request, owner ? owner->Caption() : std::string{}, answer});
    return answer;
}

void HeadlessToolkit::QueueDialogScript(DialogScript script)
{
    dialogScripts_.push_back(std::move(script));
}

int HeadlessToolkit::RunModal(ui::Dialog& dialog)
{
    const int run = ++dialogRuns_;
    dialogs_.push_back({run, dialog.Caption(), dialog.Layout().resourceId, 0, false, false, NowMs(), 0});
    dialog.Create();
    dialog.FocusFirstTabStop();
    modalStack_.push_back(&dialog);
    Log(EventKind::DialogOpened, &dialog, dialog.Layout().resourceId);
    Pump();
    if (!dialog.IsEnded() && !dialogScripts_.empty()) {
        DialogScript script = std::move(dialogScripts_.front());
        dialogScripts_.pop_front();
        if (RecordedDialog* record = DialogRecord(run)) record->scripted = true;
        script(dialog);
    }
    if (!dialog.IsEnded()) dialog.EndDialog(ui::Dialog::kCancel);
    const int result = dialog.Result();
    modalStack_.pop_back();
    Log(EventKind::DialogClosed, &dialog, result);
    dialog.Destroy();
    if (RecordedDialog* record = DialogRecord(run)) {
        record->result = result;
        record->closed = true;
        record->closedAtMs = NowMs();
    }
    return result;
}

RecordedDialog* HeadlessToolkit::DialogRecord(int run)
{
    // The test may have cleared the records while the dialog was open.
    for (RecordedDialog& record : dialogs_) {
        if (record.run == run) return &record;
    }
    return nullptr;
}

void HeadlessToolkit::Quit()
{
    quitRequested_ = true;
    Log(EventKind::QuitRequested, nullptr);
}

ui::Window* HeadlessToolkit::FindWindow(std::string_view caption) const
{
    for (ui::Window* window : windows_) {
        if (window->Caption() == caption) return window;
    }
    return nullptr;
}

HeadlessWindowPeer* HeadlessToolkit::PeerFor(const ui::Window& window) const
{
    for (HeadlessWindowPeer* peer : peers_) {
        if (&peer->Window() == &window) return peer;
    }
    return nullptr;
}

const ScreenRecord* HeadlessToolkit::OnScreen(const ui::Window& window) const
{
    const HeadlessWindowPeer* peer = PeerFor(window);
    return peer ? &peer->Record() : nullptr;
}

void HeadlessToolkit::ClearRecords()
{
    boxes_.clear();
    beeps_.clear();
    dialogs_.clear();
    saveFiles_.clear();
    events_.clear();
    quitRequested_ = false;
}

void HeadlessToolkit::Log(EventKind kind, const ui::Window* window, int id, std::string text)
{
    events_.push_back({kind, window ? window->Caption() : std::string{}, id, NowMs(), std::move(text)});
}

}  // namespace nuvix::headless
