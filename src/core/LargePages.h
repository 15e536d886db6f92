#pragma once

#include <cstddef>

// A buffer of tens of megabytes about to be filled at once (a decoded report,
// its rows) costs a page fault every 4 KB, and on a busy or virtual machine
// the faults outweigh the work. Asks the system to back the buffer with
// large pages where it can; elsewhere, or for a small buffer, does nothing.
// Call it before the buffer is first written.
void AdviseLargePages(void* data, std::size_t bytes);
