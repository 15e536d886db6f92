#pragma once

#include <functional>

// Asking the program to end: the confirmed Çıkış of the desktop program, or
// SIGTERM / SIGINT for either program. Automatic sending finishes the file in
// hand (submission, record, move) and starts no other.

void RequestExit();
bool ExitRequested();
// Tests start each case with no request.
void ResetExitRequest();

// From now on SIGTERM and SIGINT request the exit instead of killing the
// process. With a callback and a running event loop, the callback also runs
// on the calling thread once the signal has arrived (to end the loop).
void WatchExitSignals(std::function<void()> onSignal = {});
