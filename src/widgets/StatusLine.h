#pragma once

#include <QString>

// Panel 2 of the main window's status bar, where the program says what it is
// doing. The main window registers itself while it lives, so the Ui services
// and the waiting transport write there without knowing the main window.
class StatusLine {
public:
    virtual ~StatusLine() = default;

    virtual QString statusText() const = 0;
    virtual void setStatusText(const QString& text) = 0;

    // The main window of the running program, if there is one.
    static StatusLine* current();
    static void setCurrent(StatusLine* line);
};
