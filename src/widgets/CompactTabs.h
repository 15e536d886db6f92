#pragma once

class QTabWidget;

// Narrows the room beside each tab title so that the titles of a window of
// fixed size fit side by side, with no scroll arrows hiding one of them.
void CompactTabs(QTabWidget* tabs);
