#include "KeepOnTop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void KeepOnTop(QWidget* window) {
    if (!window)
        return;
    const bool wasVisible = window->isVisible();
    // Changing the flags hides the window; show it again where it was.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (wasVisible)
        window->show();
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const int width = window->frameGeometry().width();
    window->move(screen->geometry().left() + screen->geometry().width() - width, window->y());
}
