#pragma once

class QWidget;

// Keeps a small window above the others and puts it against the right edge
// of its screen, where it does not hide the work it reports on.
void KeepOnTop(QWidget* window);
