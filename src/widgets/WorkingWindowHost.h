#pragma once

class PollingTimer;

// What a working window (the status screen, the send wizard, the rule
// editor, the settings and the reports) asks of the main window, so that
// none of them depends on the main window whole.
class WorkingWindowHost {
public:
    virtual ~WorkingWindowHost() = default;

    // The advertisement window makes way while a working window is open and
    // comes back when one is left through its own buttons.
    virtual void unloadAdvertisement() = 0;
    virtual void loadAdvertisement() = 0;
    // Panels 4 and 6 of the status bar: the active user and account mode.
    virtual void showAccount() = 0;
    // The timer whose passes send automatically.
    virtual PollingTimer& pollingTimer() = 0;
};
