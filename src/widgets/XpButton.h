#pragma once

#include <QColor>
#include <QWidget>

// A push button that draws itself in the XP manner: a light gradient face
// with a dark-blue frame and softened corners, an orange glow under the
// pointer, a blue ring with the focus, a banded face while held down and a
// flat grey look when disabled. Its four corner pixels are cut away.
// Mouse buttons are numbered 1 (left), 2 (right) and 4 (middle), and key
// codes follow the classic virtual-key numbers (13 Enter, 32 Space,
// 37 to 40 the arrows), as the events of the original control did.
class XpButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QColor ForeHover READ ForeHover WRITE setForeHover)

public:
    explicit XpButton(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor& colour);
    QColor ForeHover() const { return m_foreHover; }
    // Shows at the next redraw.
    void setForeHover(const QColor& colour) { m_foreHover = colour; }

    // The letter after the first single "&" of the caption, in lower case,
    // or a null character when the caption has none.
    static QChar AccessKeyOf(const QString& caption);
    QChar accessKey() const { return m_accessKey; }

    bool isHovering() const { return m_hovering; }

    QSize sizeHint() const override { return QSize(75, 23); }

signals:
    void Click();
    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void KeyPress(int keyAscii);
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);
    void MouseOver();
    void MouseOut();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Redraw(bool press);
    void pressed(int button, int shift, QPoint at);
    void hoverEnded();
    void setAccessKey();
    void paintNormalFace(QPainter& p, int w, int h) const;
    void paintPressedFace(QPainter& p, int w, int h) const;
    void paintHoverGlow(QPainter& p, int w, int h) const;
    void paintFocusRing(QPainter& p, int w, int h) const;
    void paintBorder(QPainter& p, int w, int h) const;
    void paintDisabled(QPainter& p, int w, int h) const;
    void paintCaption(QPainter& p, int w, int h) const;

    QString m_caption;
    QColor m_foreColor;
    QColor m_foreHover;
    QChar m_accessKey;
    int m_shortcutId = 0;
    bool m_hovering = false;
    bool m_entryFlag = false;
    bool m_focused = false;
    bool m_pressLook = false;
    bool m_doubleClicked = false; // until the release that ends a double click
    int m_lastButton = 0;
    int m_lastKey = 0;
};
