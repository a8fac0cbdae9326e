#include "platform/wx/WxToolkit.h"

#include "platform/clock/RealClock.h"
#include "platform/text/Translate.h"
#include "platform/ui/Dialog.h"
#include "platform/wx/DisplayLoss.h"
#include "platform/wx/GtkSupport.h"
#include "platform/wx/WxSession.h"
#include "platform/wx/WxText.h"
#include "platform/wx/WxWindowPeer.h"

#include <wx/app.h>
#include <wx/debug.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/gdicmn.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <deque>

namespace nuvix::wx {

namespace {

// The one thing a signal handler may touch.
volatile std::sig_atomic_t quitSignalled = 0;

constexpr int kSignalPollMs = 100;

// GTK leaves the frame to the window manager, whose title bars vary (about 22 to 37
// pixels). The layout is made by client size, so these only relate outer rectangles to
// client areas, the same way in both directions.
constexpr int kCaptionHeight = 24;
constexpr int kBorderWidth = 1;

// A small sans-serif face for fresh device contexts.
constexpr int kDefaultFontPixels = 13;

// A toolkit complaint goes to stderr: wx's own alert box would be one more modal loop,
// opened wherever the complaint arose, even inside a timer handler.
void ReportAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                  const wxString& message)
{
    std::fprintf(stderr, "nuvix: wx: %s:%d %s: %s %s\n", file.utf8_str().data(), line, function.utf8_str().data(),
                 condition.utf8_str().data(), message.utf8_str().data());
}

class App final : public wxApp {
public:
    bool OnInit() override { return true; }
};

class PollTimer final : public wxTimer {
public:
    explicit PollTimer(std::function<void()> tick) : tick_(std::move(tick)) {}
    void Notify() override { tick_(); }

private:
    std::function<void()> tick_;
};

bool MainLoopIsActive()
{
    wxEventLoopBase* main = wxTheApp ? wxTheApp->GetMainLoop() : nullptr;
    return main && wxEventLoopBase::GetActive() == main;
}

// Whether a file name fits one of the filter's patterns ("*.fits;*.fit"), in any case.
bool Matches(const ui::FileFilter& filter, std::string name)
{
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string_view patterns = filter.pattern;
    while (!patterns.empty()) {
        const std::string_view pattern = patterns.substr(0, patterns.find(';'));
        if (pattern.starts_with('*') && name.ends_with(pattern.substr(1))) return true;
        patterns.remove_prefix(std::min(pattern.size() + 1, patterns.size()));
    }
    return false;
}

wxWindow* TopLevelOf(const ui::Window* window)
{
    WxWindowPeer* peer = WxWindowPeer::Of(window);
    return peer ? peer->TopLevel() : nullptr;
}

void ShowMessageBox(wxWindow* parent, const std::string& text, const std::string& caption)
{
    wxMessageDialog box(parent, ToWx(text), ToWx(caption), wxOK | wxICON_NONE);
    // Our own word for the button: GTK's would follow the locale's catalogue of GTK ("Valider").
    box.SetOKLabel(ToWx(Tr("OK")));
    box.ShowModal();
}

}  // namespace

// A box waiting for the one before it to close.
struct WaitingBox {
    PeerAnchor owner;
    std::string text;
    std::string caption;
};

struct WxToolkit::State {
    RealClock clock;
    bool boxOpen = false;
    std::deque<WaitingBox> waitingBoxes;
    std::unique_ptr<gfx::FontLibrary> fonts = gfx::FontLibrary::Create();
    std::unique_ptr<gfx::Font> defaultFont;
    WxSession session;
    bool running = false;
    std::function<int()> onDisplayLost;
};

WxToolkit::WxToolkit() : state_(std::make_unique<State>())
{
    state_->defaultFont = state_->fonts->Load({"sans-serif", kDefaultFontPixels, false});
    state_->session.metrics.captionHeight = kCaptionHeight;
    state_->session.metrics.borderWidth = kBorderWidth;
}

WxToolkit::~WxToolkit() = default;

void WxToolkit::OnDisplayLost(std::function<int()> lastWork)
{
    state_->onDisplayLost = std::move(lastWork);
}

void WxToolkit::RequestQuitFromSignal()
{
    quitSignalled = 1;
}

int WxToolkit::Run(std::function<void()> start, std::function<void()> stop)
{
    wxSetAssertHandler(ReportAssert);
    wxApp::SetInstance(HandToWx<App>());  // deleted by wxEntryCleanup, or by a failed start
    char name[] = "nuvix";
    char* argv[] = {name, nullptr};
    int argc = 1;
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "nuvix: the desktop could not be started (is DISPLAY set?)\n");
        return 1;
    }
    State& s = *state_;
    s.running = true;
    s.session.quitRequested = false;
    const wxSize screen = wxGetDisplaySize();
    s.session.metrics.screenWidth = screen.x;
    s.session.metrics.screenHeight = screen.y;
    InstallApplicationStyle();
    wxTheApp->SetExitOnFrameDelete(false);
    WatchDisplayLoss(s.onDisplayLost);

    int code = 0;
    {
        PollTimer poll([this] { PollQuitSignal(); });
        poll.Start(kSignalPollMs);
        wxTheApp->CallAfter([&start] {
            if (start) start();
        });
        code = wxTheApp->OnRun();
        poll.Stop();
        // The windows are about to go: the work may no longer reach them.
        WatchDisplayLoss({});
        if (stop) stop();
    }
    s.running = false;
    wxTheApp->OnExit();
    wxEntryCleanup();  // also deletes the top-level windows destroyed by `stop`
    return code;
}

void WxToolkit::PollQuitSignal()
{
    WxSession& session = state_->session;
    TimerScope scope(session);
    if (quitSignalled) {
        quitSignalled = 0;
        // As the main window's close box; a program with no frame just ends.
        if (!session.frames.empty()) session.frames.front()->DispatchClose();
        if (!session.quitRequested) Quit();
    }
    if (state_->boxOpen) KeepMessageBoxesOnTop();
    // A quit asked for inside a modal run ends the main loop once that run is over.
    if (session.quitRequested && MainLoopIsActive()) wxTheApp->ExitMainLoop();
}

Clock& WxToolkit::GetClock()
{
    return state_->clock;
}

ui::ScreenMetrics WxToolkit::Metrics() const
{
    return state_->session.metrics;
}

gfx::FontLibrary& WxToolkit::Fonts()
{
    return *state_->fonts;
}

const gfx::Font* WxToolkit::DefaultFont() const
{
    return state_->defaultFont.get();
}

std::unique_ptr<ui::WindowPeer> WxToolkit::CreatePeer(ui::Window& window)
{
    return std::make_unique<WxWindowPeer>(state_->session, window);
}

void WxToolkit::MessageBox(ui::Window* owner, const std::string& text, const std::string& caption)
{
    WxSession& session = state_->session;
    if (!state_->running || session.quitRequested) return;
    WxWindowPeer* peer = WxWindowPeer::Of(owner);
    if (session.timerDepth == 0 && !state_->boxOpen) {
        ShowBox(peer, text, caption);
        return;
    }
    // Inside a timer handler: open it once the handler has returned, so that the timer, which
    // GLib does not re-enter, keeps ticking while the box is open; and one box at a time, each
    // once the one before it is closed.
    state_->waitingBoxes.push_back({peer ? peer->Anchor() : nullptr, text, caption});
    if (state_->waitingBoxes.size() == 1 && !state_->boxOpen) wxTheApp->CallAfter([this] { ShowWaitingBoxes(); });
}

void WxToolkit::ShowBox(WxWindowPeer* owner, const std::string& text, const std::string& caption)
{
    // A box belongs to the main window when its own window has none.
    WxSession& session = state_->session;
    wxWindow* parent = owner ? owner->TopLevel() : nullptr;
    if (!parent && !session.frames.empty()) parent = TopLevelOf(session.frames.front());
    state_->boxOpen = true;
    ShowMessageBox(parent, text, caption);
    state_->boxOpen = false;
    // Boxes asked for meanwhile follow, also after a box that did not come from the queue.
    if (!state_->waitingBoxes.empty()) wxTheApp->CallAfter([this] { ShowWaitingBoxes(); });
}

void WxToolkit::ShowWaitingBoxes()
{
    std::deque<WaitingBox>& waiting = state_->waitingBoxes;
    while (!waiting.empty() && !state_->boxOpen) {
        if (state_->session.quitRequested) {
            waiting.clear();
            return;
        }
        const WaitingBox box = waiting.front();
        ShowBox(box.owner ? *box.owner : nullptr, box.text, box.caption);
        waiting.pop_front();
    }
}

void WxToolkit::MessageBeep(int type)
{
    (void)type;  // the desktop has one bell
    if (state_->running) wxBell();
}

std::optional<std::string> WxToolkit::SaveFileDialog(ui::Window* owner, const ui::SaveFileRequest& request)
{
    if (!state_->running || state_->session.quitRequested) return std::nullopt;
    const std::string& initial = request.initialPath;
    const size_t slash = initial.find_last_of('/');
    const std::string directory = slash == std::string::npos ? std::string() : initial.substr(0, slash);
    const std::string file = slash == std::string::npos ? initial : initial.substr(slash + 1);
    std::string wildcard;
    for (const ui::FileFilter& filter : request.filters)
        wildcard += (wildcard.empty() ? "" : "|") + filter.name + "|" + filter.pattern;
    wxFileDialog dialog(TopLevelOf(owner), ToWx(Tr("Enregistrer sous")), ToWx(directory), ToWx(file), ToWx(wildcard),
                        wxFD_SAVE);
    for (size_t i = 0; i < request.filters.size(); ++i) {
        if (Matches(request.filters[i], file)) {
            dialog.SetFilterIndex(static_cast<int>(i));
            break;
        }
    }
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    std::string path = FromWx(dialog.GetPath());
    // The chosen kind's extension goes on a name typed without one.
    const size_t chosen = static_cast<size_t>(std::max(dialog.GetFilterIndex(), 0));
    const std::string extension = chosen < request.filters.size() ? request.filters[chosen].extension : "";
    const size_t nameStart = path.find_last_of('/') + 1;  // 0 when there is no slash
    if (!extension.empty() && path.find('.', nameStart) == std::string::npos) path += "." + extension;
    return path;
}

int WxToolkit::RunModal(ui::Dialog& dialog)
{
    if (!state_->running || state_->session.quitRequested) return ui::Dialog::kCancel;
    dialog.Create();
    dialog.FocusFirstTabStop();
    // The dialog's set-up may already have ended it.
    if (WxWindowPeer* peer = WxWindowPeer::Of(&dialog); peer && !dialog.IsEnded()) peer->RunModalLoop();
    dialog.Destroy();
    return dialog.Result();
}

void WxToolkit::Quit()
{
    WxSession& session = state_->session;
    session.quitRequested = true;
    if (!state_->running) return;
    // Modal runs end first (their callers see a cancel); the main loop ends when it is
    // the loop running, here or at the next poll.
    for (wxWindow* top : wxTopLevelWindows) {
        if (auto* modal = dynamic_cast<wxDialog*>(top); modal && modal->IsModal()) modal->EndModal(wxID_CANCEL);
    }
    CloseNativeMessageBoxes();
    if (MainLoopIsActive()) wxTheApp->ExitMainLoop();
}

}  // namespace nuvix::wx
