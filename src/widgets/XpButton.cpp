#include "XpButton.h"

#include <array>
#include <cmath>
#include <utility>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace {

const QColor FrameBlue(0, 60, 116);

int vbButton(Qt::MouseButtons buttons) {
    return int(buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton));
}

int vbShift(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

int vbKeyCode(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    default:
        return key < 0x100 ? key : 0;
    }
}

// A row from column a up to, not including, column b.
void row(QPainter& p, int y, int a, int b, const QColor& c) {
    if (b > a)
        p.fillRect(a, y, b - a, 1, c);
}

void pixel(QPainter& p, int x, int y, const QColor& c) {
    p.fillRect(x, y, 1, 1, c);
}

// Each corner pixel with the steps that lead inwards from it.
std::array<std::array<int, 4>, 4> corners(int w, int h) {
    return {{{0, 0, 1, 1}, {w - 1, 0, -1, 1}, {0, h - 1, 1, -1}, {w - 1, h - 1, -1, -1}}};
}

QColor darker(const QColor& c, int r, int g, int b) {
    return QColor(c.red() - r, c.green() - g, c.blue() - b);
}

} // namespace

XpButton::XpButton(QWidget* parent)
    : QWidget(parent)
    , m_foreColor(palette().color(QPalette::ButtonText))
    , m_foreHover(m_foreColor) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
}

void XpButton::setCaption(const QString& caption) {
    m_caption = caption;
    setAccessKey();
    Redraw(false);
}

void XpButton::setForeColor(const QColor& colour) {
    m_foreColor = colour;
    Redraw(false);
}

QChar XpButton::AccessKeyOf(const QString& caption) {
    qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (caption.size() < 2 || amp < 0 || amp == caption.size() - 1)
        return QChar();
    if (caption.at(amp + 1) != QLatin1Char('&'))
        return caption.at(amp + 1).toLower();
    amp = caption.indexOf(QLatin1Char('&'), amp + 2);
    if (amp < 0 || amp == caption.size() - 1 || caption.at(amp + 1) == QLatin1Char('&'))
        return QChar();
    return caption.at(amp + 1).toLower();
}

void XpButton::setAccessKey() {
    const QChar key = AccessKeyOf(m_caption);
    if (key.isNull())
        return;
    m_accessKey = key;
    if (m_shortcutId)
        releaseShortcut(m_shortcutId);
    m_shortcutId = grabShortcut(QKeySequence(QStringLiteral("Alt+") + key));
}

void XpButton::Redraw(bool press) {
    m_pressLook = press && m_lastButton == 1;
    update();
}

bool XpButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(event)->shortcutId() == m_shortcutId) {
        m_lastButton = 1;
        Redraw(false);
        emit Click();
        return true;
    }
    return QWidget::event(event);
}

void XpButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QRegion region(0, 0, width(), height());
    for (const QPoint corner : {QPoint(0, 0), QPoint(0, height() - 1), QPoint(width() - 1, 0),
                                QPoint(width() - 1, height() - 1)})
        region -= QRegion(corner.x(), corner.y(), 1, 1);
    setMask(region);
    Redraw(false);
}

void XpButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        Redraw(false);
}

void XpButton::pressed(int button, int shift, QPoint at) {
    m_lastButton = button;
    if (button != 2)
        Redraw(true);
    setFocus(Qt::MouseFocusReason);
    emit MouseDown(button, shift, at.x(), at.y());
}

void XpButton::mousePressEvent(QMouseEvent* event) {
    pressed(vbButton(event->button()), vbShift(event->modifiers()), event->position().toPoint());
}

void XpButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click presses the button again, but its
    // release is the double click's, not another Click.
    if (m_lastButton == 1) {
        pressed(1, vbShift(event->modifiers()), event->position().toPoint());
        m_doubleClicked = true;
    }
}

void XpButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Redraw(false);
    emit MouseUp(vbButton(event->button()), vbShift(event->modifiers()), at.x(), at.y());
    const bool doubleClicked = std::exchange(m_doubleClicked, false);
    if (m_lastButton == 1 && event->button() == Qt::LeftButton && rect().contains(at) &&
        !doubleClicked)
        emit Click();
}

void XpButton::mouseMoveEvent(QMouseEvent* event) {
    const int button = vbButton(event->buttons());
    const int shift = vbShift(event->modifiers());
    const QPoint at = event->position().toPoint();
    if (button >= 2) {
        emit MouseMove(button, shift, at.x(), at.y());
        return;
    }
    if (!rect().contains(at)) {
        if (!m_entryFlag)
            return;
        Redraw(false);
        emit MouseMove(button, shift, at.x(), at.y());
        return;
    }
    if (m_entryFlag)
        return;
    m_entryFlag = true;
    if (button == 0 && !m_hovering) {
        m_hovering = true;
        m_entryFlag = false;
        Redraw(false);
        emit MouseOver();
    } else if (button == 1) {
        Redraw(true);
        m_hovering = false;
    }
    emit MouseMove(button, shift, at.x(), at.y());
}

void XpButton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    hoverEnded();
}

void XpButton::hoverEnded() {
    if (!m_hovering)
        return;
    m_hovering = false;
    m_entryFlag = false;
    Redraw(false);
    emit MouseOut();
}

void XpButton::keyPressEvent(QKeyEvent* event) {
    const int key = vbKeyCode(event->key());
    m_lastKey = key;
    if (key == 32 || key == 13)
        Redraw(true);
    else if (key == 37 || key == 39)
        focusNextChild();
    else if (key == 38 || key == 40)
        focusPreviousChild();
    emit KeyDown(key, vbShift(event->modifiers()));
    if (!event->text().isEmpty())
        emit KeyPress(event->text().at(0).unicode());
}

void XpButton::keyReleaseEvent(QKeyEvent* event) {
    const int key = vbKeyCode(event->key());
    // A held key repeats its press only; its release comes once.
    if (!event->isAutoRepeat() && (key == 13 || key == 32) && key == m_lastKey) {
        Redraw(false);
        m_lastButton = 1;
        emit Click();
    }
    emit KeyUp(key, vbShift(event->modifiers()));
}

void XpButton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_focused = true;
    Redraw(true);
}

void XpButton::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    m_focused = false;
    Redraw(false);
}

void XpButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    if (!isEnabled()) {
        paintDisabled(p, w, h);
    } else if (m_pressLook) {
        paintPressedFace(p, w, h);
        paintBorder(p, w, h);
    } else {
        paintNormalFace(p, w, h);
        if (m_hovering)
            paintHoverGlow(p, w, h);
        else if (m_focused)
            paintFocusRing(p, w, h);
        paintBorder(p, w, h);
    }
    paintCaption(p, w, h);
}

void XpButton::paintNormalFace(QPainter& p, int w, int h) const {
    QColor c(255, 255, 253);
    for (int y = 3; y <= h - 3; ++y) {
        row(p, y, 0, w - 1, c);
        if (c.blue() >= 230)
            c = darker(c, 1, 1, 1);
    }
    row(p, h - 2, 0, w - 1, QColor(214, 208, 197));
    row(p, h - 3, 0, w - 1, QColor(226, 223, 214));
    row(p, h - 4, 0, w - 1, QColor(236, 235, 230));
}

void XpButton::paintPressedFace(QPainter& p, int w, int h) const {
    QColor c(239, 238, 231);
    // Bands of a 4-pixel pen drawn along row y: rows y-2 to y+1.
    for (int y = 3; y <= h - 2; y += 4) {
        p.fillRect(0, y - 2, w - 1, 4, c);
        if (c.blue() >= 218)
            c = darker(c, 1, 1, 1);
    }
    row(p, 1, 0, w - 1, QColor(209, 204, 192));
    row(p, 2, 0, w - 1, QColor(220, 216, 207));
    row(p, h - 3, 0, w - 1, QColor(234, 233, 227));
    row(p, h - 2, 0, w - 1, QColor(242, 241, 238));
}

void XpButton::paintHoverGlow(QPainter& p, int w, int h) const {
    row(p, 1, 2, w - 2, QColor(255, 240, 207));
    row(p, 2, 1, w - 1, QColor(253, 216, 137));
    QColor a(254, 223, 154);
    for (int y = 2; y <= h - 3; ++y) {
        pixel(p, 1, y, a);
        pixel(p, w - 2, y, a);
        if (a.blue() >= 49)
            a = darker(a, 1, 3, 7);
    }
    QColor b(252, 210, 121);
    for (int y = 3; y <= h - 3; ++y) {
        pixel(p, 2, y, b);
        pixel(p, w - 3, y, b);
        if (b.blue() >= 57)
            b = darker(b, 1, 4, 8);
    }
    row(p, h - 3, 3, w - 1, b);
    row(p, h - 2, 2, w - 2, QColor(229, 151, 0));
}

void XpButton::paintFocusRing(QPainter& p, int w, int h) const {
    row(p, 1, 2, w - 2, QColor(206, 231, 251));
    row(p, 2, 1, w - 1, QColor(188, 212, 246));
    QColor c(186, 211, 246);
    // A 2-pixel pen on a one-row segment: columns x-1 and x, rows y and y+1.
    for (int y = 3; y <= h - 4; ++y) {
        p.fillRect(1, y, 2, 2, c);
        p.fillRect(w - 3, y, 2, 2, c);
        if (c.blue() >= 228)
            c = darker(c, 4, 3, 1);
    }
    row(p, h - 3, 1, w - 2, c);
    pixel(p, 2, h - 2, QColor(77, 125, 193));
    row(p, h - 2, 3, w - 3, QColor(97, 125, 229));
    pixel(p, w - 3, h - 2, QColor(77, 125, 193));
}

void XpButton::paintBorder(QPainter& p, int w, int h) const {
    row(p, 0, 0, w, FrameBlue);
    row(p, h - 1, 0, w, FrameBlue);
    p.fillRect(0, 0, 1, h, FrameBlue);
    p.fillRect(w - 1, 0, 1, h, FrameBlue);
    const QColor beside(122, 149, 168);
    const QColor inner(37, 87, 131);
    for (const auto& [x, y, dx, dy] : corners(w, h)) {
        pixel(p, x, y + dy, beside);
        pixel(p, x + dx, y, beside);
        pixel(p, x + dx, y + dy, inner);
    }
}

void XpButton::paintDisabled(QPainter& p, int w, int h) const {
    p.fillRect(0, 0, w, h, QColor(245, 244, 234));
    const QColor frame(201, 199, 186);
    row(p, 0, 0, w, frame);
    row(p, h - 1, 0, w, frame);
    p.fillRect(0, 0, 1, h, frame);
    p.fillRect(w - 1, 0, 1, h, frame);
    const QColor corner(216, 213, 199);
    const QColor further(234, 233, 222);
    for (const auto& [x, y, dx, dy] : corners(w, h)) {
        pixel(p, x, y + dy, corner);
        pixel(p, x + dx, y, corner);
        pixel(p, x + dx, y + dy, corner);
        pixel(p, x + dx, y + 2 * dy, further);
        pixel(p, x + 2 * dx, y + dy, further);
    }
}

void XpButton::paintCaption(QPainter& p, int w, int h) const {
    const int flags = Qt::TextWordWrap | Qt::AlignHCenter | Qt::TextShowMnemonic;
    p.setFont(font());
    p.setPen(!isEnabled() ? QColor(161, 161, 146) : m_hovering ? m_foreHover : m_foreColor);
    const int measured = p.boundingRect(QRect(0, 0, w, h), flags, m_caption).height();
    const int top = int(std::lround(h / 2.0 - measured / 2.0));
    const int bottom = int(std::lround(h / 2.0 + measured / 2.0));
    p.drawText(QRect(0, top, w, bottom - top), flags, m_caption);
}
