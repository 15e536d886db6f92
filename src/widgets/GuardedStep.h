#pragma once

#include <functional>

#include <QString>

// One handler of a window that reaches the database or the disk. Nothing may
// escape from it into Qt's event loop, which would end the program with the
// window's state half changed: a failure is logged under `what` and shown in
// an error box titled `title` with the storage's own words (ErrorText),
// after `intro` and "Sistemin ürettiği hata mesajı : " when `intro` is given.
// True when `step` ran through.
bool RunGuarded(const char* what, const QString& title, const QString& intro,
                const std::function<void()>& step);
