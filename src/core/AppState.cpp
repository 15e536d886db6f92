#include "AppState.h"

#include "Clock.h"
#include "ExitRequest.h"
#include "GatewayMode.h"

namespace {

std::unique_ptr<AppState>& instance() {
    static std::unique_ptr<AppState> state = std::make_unique<AppState>();
    return state;
}

} // namespace

AppState& App() {
    return *instance();
}

UiServices& UserInterface() {
    return *instance()->ui;
}

void AppState::reset() {
    instance() = std::make_unique<AppState>();
    Clock::set({});
    ResetExitRequest();
}

QString AppState::gatewayUserName() const {
    if (gGatewayMode == GatewayMode::Main)
        return gUserName + QLatin1Char('-') + gClientCode;
    return gUserName;
}
