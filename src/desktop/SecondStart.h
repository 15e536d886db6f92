#pragma once

class InstanceLock;

// Tells the user why the program folder's lock could not be had: the
// program is already running on it (and is asked to show its window), or
// the lock file cannot be made at all (then the folder and the cause are
// named).
void ExplainRefusedStart(const InstanceLock& lock);
