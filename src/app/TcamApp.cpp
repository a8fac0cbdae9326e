#include "app/TcamApp.h"

#include "app/ServerBridge.h"

namespace nuvix {

TcamApp::TcamApp(ui::Toolkit& toolkit, PortBus& bus, std::string paramFile)
    : toolkit_(toolkit), context_{state_, bus, std::move(paramFile)}, alerts_(toolkit)
{
}

TcamApp::~TcamApp()
{
    CloseMainWindow();
}

void TcamApp::InitMainWindow()
{
    if (context_.guideServer) {
        server_ = std::make_unique<ServerBridge>(context_, *context_.guideServer, kMainWindowCaption);
        context_.guidedFrames = server_.get();
        alerts_.SetListener([this](const std::string& text, const std::string& caption) {
            if (server_) server_->Alert(text, caption);
        });
    }
    mainWindow_ = std::make_unique<NuvixMainWindow>(server_ ? alerts_ : toolkit_, context_, kMainWindowCaption);
    mainWindow_->Create();
    if (server_) server_->Attach(*mainWindow_);
}

void TcamApp::CloseMainWindow()
{
    if (server_) server_->Detach();
    mainWindow_.reset();
    context_.guidedFrames = nullptr;
    server_.reset();
}

void TcamApp::StoreParameters()
{
    if (mainWindow_) mainWindow_->StoreParameters();
}

bool TcamApp::ParametersNotStored() const
{
    const auto& endOfRun = state_.parameters.file.endOfRun;
    return endOfRun && !endOfRun->saved;
}

}  // namespace nuvix
