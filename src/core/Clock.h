#pragma once

#include <functional>

#include <QDateTime>

// The program's clock: the time of every log line and package record, and of
// the runner's watch on files still being written. Tests set a fixed time.
namespace Clock {

QDateTime now();
// An empty function brings back the real clock.
void set(std::function<QDateTime()> clock);

} // namespace Clock
