#include "StatusLine.h"

namespace {

StatusLine* g_current = nullptr;

} // namespace

StatusLine* StatusLine::current() {
    return g_current;
}

void StatusLine::setCurrent(StatusLine* line) {
    g_current = line;
}
