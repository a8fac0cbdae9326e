#pragma once

#include "app/AlertRelay.h"
#include "app/AppContext.h"
#include "app/AppState.h"
#include "app/NuvixMainWindow.h"
#include "platform/ports/PortBus.h"
#include "platform/ui/Toolkit.h"

#include <memory>
#include <string>

namespace nuvix {

inline constexpr const char* kMainWindowCaption = "Nuvix V 2.07";
inline constexpr const char* kParameterFileName = "campar.dat";

// The application: it owns every shared value and the main window. A test builds one over
// the headless toolkit, drives it and throws it away; the next starts clean.
class ServerBridge;

class TcamApp {
public:
    TcamApp(ui::Toolkit& toolkit, PortBus& bus, std::string paramFile = kParameterFileName);
    ~TcamApp();
    TcamApp(const TcamApp&) = delete;
    TcamApp& operator=(const TcamApp&) = delete;

    // Constructs the main window and creates it on screen.
    void InitMainWindow();
    // The end of the run: destroying the main window stores the parameters.
    void CloseMainWindow();
    // Stores the parameters now, when the program must end without its windows.
    void StoreParameters();
    // True once the end of the run has left this session's parameters unstored.
    bool ParametersNotStored() const;

    NuvixMainWindow* MainWindow() const { return mainWindow_.get(); }
    AppState& State() { return state_; }
    AppContext& Context() { return context_; }

private:
    ui::Toolkit& toolkit_;
    AppState state_;
    AppContext context_;
    // With the guiding server: its clients hear the message boxes too.
    AlertRelay alerts_;
    std::unique_ptr<ServerBridge> server_;
    std::unique_ptr<NuvixMainWindow> mainWindow_;
};

}  // namespace nuvix
