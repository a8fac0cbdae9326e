#include "app/TcamApp.h"

namespace nuvix {

TcamApp::TcamApp(ui::Toolkit& toolkit, PortBus& bus, std::string paramFile)
    : toolkit_(toolkit), context_{state_, bus, std::move(paramFile)}
{
}

TcamApp::~TcamApp()
{
    CloseMainWindow();
}

void TcamApp::InitMainWindow()
{
    mainWindow_ = std::make_unique<NuvixMainWindow>(toolkit_, context_, kMainWindowCaption);
    mainWindow_->Create();
}

void TcamApp::CloseMainWindow()
{
    mainWindow_.reset();
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
