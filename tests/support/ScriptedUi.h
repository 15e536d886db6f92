#pragma once

#include <deque>
#include <functional>
#include <vector>

#include <QDateTime>

#include "core/Clock.h"
#include "core/UiServices.h"

// A Ui for tests: records every box and status text, answers questions and
// file dialogs from queues, and sets the program's clock for a test.
class ScriptedUi : public UiServices {
public:
    struct Box {
        BoxKind kind;
        QString title;
        QString text;
    };

    void showMessage(BoxKind kind, const QString& title, const QString& text) override {
        boxes.push_back(Box{kind, title, text});
        if (onBox)
            onBox(boxes.back());
    }
    bool askQuestion(const QString& title, const QString& text) override {
        boxes.push_back(Box{BoxKind::Question, title, text});
        return next(answers, false);
    }
    QString getOpenFileName(const QString&, const QString&, const QString& filter) override {
        openFilters.push_back(filter);
        return next(fileNames, QString());
    }
    QString getSaveFileName(const QString&, const QString&, const QString&) override {
        return next(fileNames, QString());
    }
    QString chooseFolder(const QString&, const QString&) override {
        return next(fileNames, QString());
    }
    bool openWithDesktop(const QString& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return opens;
    }
    void yield() override {
        if (onYield)
            onYield();
    }
    void setStatusText(const QString& text) override { statusTexts.push_back(text); }

    void queueAnswer(bool yes) { answers.push_back(yes); }
    void queueFileName(const QString& name) { fileNames.push_back(name); }
    // The program's clock stands at `when` (until the next AppState::reset).
    void setNow(const QDateTime& when) {
        Clock::set([when] { return when; });
    }

    std::vector<Box> boxes;
    std::vector<QString> statusTexts;
    std::vector<QString> opened;
    std::vector<QString> openFilters; // of every open dialog, in order
    std::function<void()> onYield;    // runs at every yield, as a user's click would
    // Runs while a message box is open, before the user closes it.
    std::function<void(const Box&)> onBox;
    bool opens = true;             // whether the desktop opens what it is given
    std::deque<bool> answers;      // an empty queue answers No
    std::deque<QString> fileNames; // an empty queue cancels

private:
    template <typename T> static T next(std::deque<T>& queue, T otherwise) {
        if (queue.empty())
            return otherwise;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
