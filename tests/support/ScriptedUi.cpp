#include "ScriptedUi.h"

#include "core/Clock.h"

void ScriptedUi::showMessage(BoxKind kind, const QString& title, const QString& text) {
    boxes.push_back(Box{kind, title, text});
}

bool ScriptedUi::askQuestion(const QString& title, const QString& text) {
    boxes.push_back(Box{BoxKind::Question, title, text});
    if (answers.empty())
        return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

namespace {

QString nextName(std::deque<QString>& names) {
    if (names.empty())
        return QString();
    QString name = names.front();
    names.pop_front();
    return name;
}

} // namespace

QString ScriptedUi::getOpenFileName(const QString&, const QString&, const QString&) {
    return nextName(fileNames);
}

QString ScriptedUi::getSaveFileName(const QString&, const QString&, const QString&) {
    return nextName(fileNames);
}

QString ScriptedUi::chooseFolder(const QString&, const QString&) {
    return nextName(fileNames);
}

bool ScriptedUi::openWithDesktop(const QString& pathOrUrl) {
    opened.push_back(pathOrUrl);
    return opens;
}

void ScriptedUi::yield() {
    ++yields;
    if (onYield)
        onYield();
}

void ScriptedUi::setStatusText(const QString& text) {
    statusTexts.push_back(text);
}

void ScriptedUi::setNow(const QDateTime& when) {
    Clock::set([when] { return when; });
}
