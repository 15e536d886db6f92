#include "MessageCostLine.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextCursor>
#include <QToolButton>

#include "ElidedLabel.h"
#include "core/Routines.h"
#include "textsource/MessageCost.h"
#include "textsource/MessageTemplate.h"

namespace {

// A character as the user can see it in the line: one that shows nothing
// (a zero-width space, a control) by its code. The box itself turns a
// no-break space into a blank.
QString shown(const QString& character) {
    if (character.size() == 1 && (!character[0].isPrint() || character[0].isSpace()))
        return QStringLiteral("U+%1")
            .arg(int(character[0].unicode()), 4, 16, QLatin1Char('0'))
            .toUpper();
    return character;
}

} // namespace

MessageCostLine::MessageCostLine(QWidget* parent)
    : QWidget(parent)
    , m_text(new ElidedLabel(QString(), this))
    , m_cheaper(new QToolButton(this)) {
    m_text->setObjectName(QStringLiteral("lblKodlama"));
    m_text->setTextFormat(Qt::PlainText);
    m_cheaper->setObjectName(QStringLiteral("cmdUcuzlat"));
    m_cheaper->setText(QStringLiteral("Değiştir"));
    m_cheaper->setToolTip(
        QStringLiteral("Pahalılaştıran karakterleri önerilen karşılıklarıyla değiştirir."));
    m_cheaper->hide();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_cheaper);
    connect(m_cheaper, &QToolButton::clicked, this, &MessageCostLine::useCheaperCharacters);
    m_text->setFullText(describe(QString()));
}

void MessageCostLine::follow(QPlainTextEdit* box) {
    if (m_box)
        m_box->removeEventFilter(this);
    m_box = box;
    m_watched = box;
    connect(box, &QPlainTextEdit::textChanged, this, &MessageCostLine::refresh);
    box->installEventFilter(this);
    refresh();
}

QString MessageCostLine::describe(QStringView templateText) {
    const MessageCost cost =
        CostOfMessage(CleanMessageText(TemplateWithoutMarkers(templateText)), 0);
    QString line = cost.encoding == SmsEncoding::Gsm7 ? QStringLiteral("Kodlama: GSM 7-bit")
                                                      : QStringLiteral("Kodlama: UCS-2");
    if (cost.costly.empty())
        return line;
    QStringList characters;
    for (const CostlyCharacter& c : cost.costly) {
        QString one = shown(c.character);
        if (!c.replacement.isEmpty())
            one += QStringLiteral("→") + shown(c.replacement);
        characters << one;
    }
    return line + QStringLiteral(" · Pahalılaştıran: ") + characters.join(QLatin1Char(' '));
}

bool MessageCostLine::eventFilter(QObject* watched, QEvent* event) {
    // The button follows whether the box may be changed.
    // Compared as an object: while the box is being destroyed it is no
    // longer a QPlainTextEdit, and events still reach this filter.
    if ((event->type() == QEvent::EnabledChange || event->type() == QEvent::ReadOnlyChange) &&
        watched == m_watched)
        refresh();
    return QWidget::eventFilter(watched, event);
}

void MessageCostLine::refresh() {
    if (!m_box)
        return;
    const QString text = m_box->toPlainText();
    m_text->setFullText(describe(text));
    m_cheaper->setVisible(TemplateWithCheaperCharacters(text) != text);
    m_cheaper->setEnabled(m_box->isEnabled() && !m_box->isReadOnly());
}

void MessageCostLine::useCheaperCharacters() {
    if (!m_box)
        return;
    const QString text = m_box->toPlainText();
    const QString cheaper = TemplateWithCheaperCharacters(text);
    if (cheaper == text)
        return;
    // One edit the user can take back with Ctrl+Z, as if typed.
    QTextCursor cursor(m_box->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(cheaper);
}
