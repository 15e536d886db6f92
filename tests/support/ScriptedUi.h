#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "core/UiServices.h"

// A Ui for tests: records every box and status text, answers questions from
// a queue, cancels file dialogs and tells the time from a clock the test sets.
class ScriptedUi : public UiServices {
public:
    struct Box {
        BoxKind kind;
        QString title;
        QString text;
    };

    void showMessage(BoxKind kind, const QString& title, const QString& text) override {
        boxes.push_back(Box{kind, title, text});
    }
    bool askQuestion(const QString& title, const QString& text) override {
        boxes.push_back(Box{BoxKind::Question, title, text});
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty())
            answers.pop_front();
        return yes;
    }
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    bool openWithDesktop(const QString& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return opens;
    }
    void yield() override {
        if (onYield)
            onYield();
    }
    void setStatusText(const QString& text) override { statusTexts.push_back(text); }
    QDateTime now() const override {
        return clock.isValid() ? clock : QDateTime::currentDateTime();
    }

    void queueAnswer(bool yes) { answers.push_back(yes); }
    void setNow(const QDateTime& when) { clock = when; }

    std::vector<Box> boxes;
    std::vector<QString> statusTexts;
    std::vector<QString> opened;
    std::function<void()> onYield; // runs at every yield, as a user's click would
    bool opens = true;             // whether the desktop opens what it is given
    std::deque<bool> answers;      // an empty queue answers No
    QDateTime clock;               // invalid: the real clock
};
