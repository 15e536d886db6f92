#include "MessageTemplate.h"

#include "PackagePolicy.h"
#include "TextValues.h"
#include "core/Routines.h"

namespace {

constexpr QStringView kOpen = u"[##";
constexpr QStringView kClose = u"##]";

// Position of the first `marker` in `w` at or after `from`, -1 when none.
// The markers are fixed and short; a plain scan beats the general search.
qsizetype find(QStringView w, QStringView marker, qsizetype from = 0) {
    const char16_t first = marker[0].unicode();
    for (qsizetype i = from; i + 3 <= w.size(); ++i) {
        if (w[i].unicode() == first && w[i + 1] == marker[1] && w[i + 2] == marker[2])
            return i;
    }
    return -1;
}

// Walks a template: `literal(text)` for text that is copied, `placeholder(
// name)` for each placeholder. A placeholder is an opening marker and the
// first closing marker after it; what cannot be one is literal text.
//
// (Filling step by step, an empty result gives what follows the last closing
// marker instead. That only matters for a template without placeholders,
// which gives itself: with a placeholder, that text is already part of the
// result.)
template <typename Literal, typename Placeholder>
void scan(QStringView w, Literal literal, Placeholder placeholder) {
    qsizetype p = find(w, kOpen);
    if (p < 0) {
        literal(w);
        return;
    }
    literal(w.first(p));
    while (p >= 0) {
        const qsizetype q = find(w, kClose, p + kOpen.size());
        if (q < 0) {
            literal(w.sliced(p)); // no closing marker: the rest is text
            return;
        }
        placeholder(w.sliced(p + kOpen.size(), q - p - kOpen.size()));
        w = w.sliced(q + kClose.size());
        p = find(w, kOpen);
        literal(p >= 0 ? w.first(p) : w);
    }
}

template <typename AppendValue> QString fill(QStringView templateText, AppendValue appendValue) {
    QString m;
    m.reserve(templateText.size() + 64);
    scan(
        templateText, [&m](QStringView text) { m += text; },
        [&m, &appendValue](QStringView name) { appendValue(name, m); });
    return m;
}

} // namespace

QString FillTemplate(QStringView templateText, const TextRecord& row) {
    return fill(templateText, [&row](QStringView name, QString& out) {
        row.appendWrittenText(row.columnIndex(name), out);
    });
}

MessageTemplate::MessageTemplate(QStringView templateText, QStringView ending)
    : m_text(templateText.toString())
    , m_ending(ending.toString()) {
    const QChar* const base = m_text.constData();
    scan(
        m_text,
        [this, base](QStringView text) {
            if (!text.isEmpty())
                m_pieces.push_back(Piece{text.data() - base, text.size(), false});
            m_literalLength += text.size();
        },
        [this, base](QStringView name) {
            m_pieces.push_back(Piece{name.data() - base, name.size(), true});
        });
}

QString MessageTemplate::fill(const TextRecord& row) const {
    QString m;
    m.reserve(m_literalLength + m_ending.size() + 65);
    fillInto(row, m);
    return m;
}

void MessageTemplate::fillInto(const TextRecord& row, QString& out) const {
    // Held, not just compared by address: a list freed and another made in
    // its place must not inherit its columns.
    if (m_columnsSeen != row.m_columns) {
        m_columnsSeen = row.m_columns;
        m_columnOf.clear();
        for (const Piece& piece : m_pieces) {
            m_columnOf.push_back(piece.placeholder ? row.columnIndex(QStringView(m_text).sliced(
                                                         piece.from, piece.length))
                                                   : -1);
        }
    }
    out.resize(0);
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        const Piece& piece = m_pieces[i];
        if (piece.placeholder)
            row.appendWrittenText(m_columnOf[i], out);
        else
            out += QStringView(m_text).sliced(piece.from, piece.length);
    }
    if (!m_ending.isEmpty()) {
        if (!out.isEmpty())
            out += u' ';
        out += m_ending;
    }
}

RowOutcome ClassifyRow(QStringView filledMessage, QStringView normalizedNumber) {
    const bool tooLong = filledMessage.size() > MessageLimit;
    if (normalizedNumber.isEmpty())
        return tooLong ? RowOutcome::NoNumberTooLong : RowOutcome::NoNumber;
    return tooLong ? RowOutcome::TooLong : RowOutcome::Queued;
}

QString RowOutcomeName(RowOutcome outcome) {
    switch (outcome) {
    case RowOutcome::Queued:
        return QStringLiteral("queued");
    case RowOutcome::NoNumber:
        return QStringLiteral("h01");
    case RowOutcome::TooLong:
        return QStringLiteral("h02");
    case RowOutcome::NoNumberTooLong:
        return QStringLiteral("h03");
    case RowOutcome::OptedOut:
        return QStringLiteral("h04");
    case RowOutcome::Repeated:
        return QStringLiteral("h05");
    }
    return QString();
}

void GsmNumberInto(const TextRecord& row, int gsmColumn, QString& out) {
    if (row.isWholeNumber(gsmColumn) && !row.m_cells[static_cast<size_t>(gsmColumn)].asWritten) {
        // Numbers are the usual case: their digits need no string of their own.
        char16_t digits[24];
        NormalizeGsmInto(QStringView(digits, WholeNumberDigits(row.wholeNumber(gsmColumn), digits)),
                         out);
        return;
    }
    if (row.isNull(gsmColumn) || gsmColumn < 0 || gsmColumn >= row.size()) {
        out.resize(0);
        return;
    }
    const TextRecord::Cell& cell = row.m_cells[static_cast<size_t>(gsmColumn)];
    if (cell.kind == TextRecord::Cell::Kind::Text || cell.asWritten)
        NormalizeGsmInto(cell.text, out);
    else
        NormalizeGsmInto(row.text(gsmColumn), out);
}

RowOutcome RowTester::test(const TextRecord& row) {
    GsmNumberInto(row, m_gsmColumn, m_number);
    const std::optional<std::uint32_t> key = m_screen ? m_screen->prefetch(m_number) : std::nullopt;
    m_template.fillInto(row, m_filled);
    RowOutcome outcome = ClassifyRow(m_filled, m_number);
    m_parts = 0;
    const bool counted = m_counting && (outcome == RowOutcome::Queued ||
                                        (m_cost.oneSmsOnly && outcome == RowOutcome::NoNumber));
    if (counted) {
        CleanMessageTextInto(m_filled, m_cleaned);
        m_parts = m_countParts ? SmsParts(m_cleaned, m_cost.operatorSuffix) : 1;
        if (m_cost.oneSmsOnly && m_parts > 1)
            outcome =
                outcome == RowOutcome::Queued ? RowOutcome::TooLong : RowOutcome::NoNumberTooLong;
    }
    // The package's checks come after the row's own.
    if (m_screen && outcome == RowOutcome::Queued)
        outcome = m_screen->screenKey(key);
    if (outcome != RowOutcome::Queued)
        m_parts = 0;
    return outcome;
}

PreparedRow PrepareRow(const MessageTemplate& messageTemplate, const TextRecord& row, int gsmColumn,
                       const CostSettings& cost) {
    RowTester tester(messageTemplate, gsmColumn);
    tester.countWith(cost);
    PreparedRow prepared;
    prepared.outcome = tester.test(row);
    prepared.filled = tester.filled();
    if (!tester.number().isEmpty())
        prepared.number = tester.number();
    if (prepared.outcome == RowOutcome::Queued) {
        prepared.message = tester.cleaned();
        prepared.parts = tester.parts();
    }
    return prepared;
}

PreparedRow PrepareRow(QStringView templateText, const TextRecord& row, int gsmColumn) {
    return PrepareRow(MessageTemplate(templateText), row, gsmColumn);
}

QString WizardCounterText(QStringView message) {
    return QString::number(message.size()) + QStringLiteral("/160");
}

QString EditorCounterText(QStringView message) {
    return QString::number(message.size()) + QStringLiteral(" / 160");
}

QString TemplateWithCheaperCharacters(QStringView templateText) {
    QString out;
    out.reserve(templateText.size());
    scan(
        templateText, [&out](QStringView text) { out += WithCheaperCharacters(text); },
        [&out](QStringView name) {
            out += kOpen;
            out += name;
            out += kClose;
        });
    return out;
}

QString TemplateWithoutMarkers(QStringView templateText) {
    QString out;
    out.reserve(templateText.size());
    scan(
        templateText, [&out](QStringView text) { out += text; },
        [&out](QStringView column) { out += column; });
    return out;
}
