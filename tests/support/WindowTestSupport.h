#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QWindow>
#include <QtTest>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "desktop/TrayControl.h"
#include "desktop/frmMenu.h"
#include "support/ScriptedUi.h"
#include "support/SimulatorFixture.h"
#include "support/TestEnvironment.h"
#include "widgets/frmPop.h"

// The desktop's windows driven as a user drives them: controls found by the
// names the design gives them, boxes answered once they are open, windows
// looked for as the window system shows them.

// A control by objectName; a renamed control fails the test loudly.
template <typename T = QWidget> T* control(const QObject& window, const char* name) {
    auto* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Clicks the button or triggers the menu item of that name.
inline void click(const QObject& window, const char* name) {
    if (auto* action = window.findChild<QAction*>(QLatin1String(name)))
        action->trigger();
    else
        control<QAbstractButton>(window, name)->click();
}

// The top-level window of that name while the window system shows it.
inline QWidget* shownWindow(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String(name) && window->isVisible() &&
            window->windowHandle() && window->windowHandle()->isExposed())
            return window;
    return nullptr;
}

// The boxes a scripted Ui was asked to show, as "title: text".
inline QStringList shownBoxes(const ScriptedUi& ui) {
    QStringList shown;
    for (const ScriptedUi::Box& box : ui.boxes)
        shown << box.title + QStringLiteral(": ") + box.text;
    return shown;
}

// Queued before a real message box's exec(): answers it with `button` as
// soon as it is open, noting "title: text [its buttons, sorted]" and its icon.
inline void answerNextBox(QMessageBox::StandardButton button, QString* shown,
                          QMessageBox::Icon* icon) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return answerNextBox(button, shown, icon);
        QStringList buttons;
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        buttons.sort();
        *shown = box->windowTitle() + ": " + box->text() + " [" + buttons.join(' ') + "]";
        *icon = box->icon();
        box->button(button)->click();
    });
}

// A working window's test, made anew for every test function: a program
// folder, the simulator with the main account signed in, and the main window
// shown, as a user finds them after logging in.
class DesktopTest : public QObject {
protected:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<SimulatorFixture> sim;
    std::unique_ptr<frmMenu> menu;

    ScriptedUi& ui() { return env->ui(); }
    void openDesktop() {
        env = std::make_unique<TestEnvironment>();
        sim = std::make_unique<SimulatorFixture>();
        menu = std::make_unique<frmMenu>();
        menu->show();
    }
    void closeDesktop() {
        menu.reset();
        frmPop::unload();
        sim.reset();
        env.reset();
    }
};
