#pragma once

#include <deque>
#include <functional>
#include <vector>

#include <QDateTime>

#include "core/UiServices.h"

// A Ui for tests: records every box, answers questions and file dialogs from
// queues, and sets the program's clock for a test.
class ScriptedUi : public UiServices {
public:
    struct Box {
        BoxKind kind;
        QString title;
        QString text;
    };

    void showMessage(BoxKind kind, const QString& title, const QString& text) override;
    bool askQuestion(const QString& title, const QString& text) override;
    QString getOpenFileName(const QString& title, const QString& folder,
                            const QString& filter) override;
    QString getSaveFileName(const QString& title, const QString& folder,
                            const QString& filter) override;
    QString chooseFolder(const QString& title, const QString& folder) override;
    bool openWithDesktop(const QString& pathOrUrl) override;
    void yield() override;
    void setStatusText(const QString& text) override;

    // Script
    void queueAnswer(bool yes) { answers.push_back(yes); }
    void queueFileName(const QString& name) { fileNames.push_back(name); }
    // The program's clock stands at `when` (until the next AppState::reset).
    void setNow(const QDateTime& when);

    // Record
    std::vector<Box> boxes;
    std::vector<QString> statusTexts;
    std::vector<QString> opened;
    int yields = 0;
    std::function<void()> onYield; // runs at every yield, as a user's click would

    bool opens = true;             // whether the desktop opens what it is given
    std::deque<bool> answers;      // an empty queue answers No
    std::deque<QString> fileNames; // an empty queue cancels
};
