#include "ElidedLabel.h"

#include <QResizeEvent>

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent)
    : QLabel(parent) {
    // A reply such as "<HTML>..." is text to show, not markup.
    setTextFormat(Qt::PlainText);
    setFullText(text);
}

void ElidedLabel::setFullText(const QString& text) {
    m_full = text;
    elide();
}

QSize ElidedLabel::sizeHint() const {
    return minimumSizeHint();
}

QSize ElidedLabel::minimumSizeHint() const {
    // The text's own width would push the window wider with every long
    // message.
    return {minimumWidth(), QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide() {
    // QLabel indents a framed label's text by half an "x" unless told.
    int indent = this->indent();
    if (indent < 0)
        indent = frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    const int room = contentsRect().width() - 2 * margin() - indent;
    const QString shown = fontMetrics().elidedText(m_full, Qt::ElideRight, room);
    setText(shown);
    setToolTip(shown == m_full ? QString() : m_full);
}
