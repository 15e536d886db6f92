#include "MessageTemplate.h"

#include "core/Recordset.h"
#include "core/Routines.h"

namespace {

constexpr QStringView kOpen = u"[##";
constexpr QStringView kClose = u"##]";

// `append(name, out)` adds the value of the column called `name`, if any.
template <typename AppendValue> QString fill(QStringView w, AppendValue append) {
    QString m;
    qsizetype p = w.indexOf(kOpen);
    if (p >= 0)
        m = w.first(p).toString();
    while (p >= 0) {
        const qsizetype q = w.indexOf(kClose, p + kOpen.size());
        if (q < 0) {
            // No closing marker: the rest is text.
            m += w.sliced(p);
            w = w.sliced(p);
            break;
        }
        append(w.sliced(p + kOpen.size(), q - p - kOpen.size()), m);
        w = w.sliced(q + kClose.size());
        p = w.indexOf(kOpen);
        m += p >= 0 ? w.first(p) : w;
    }
    // Only a template without placeholders leaves nothing in M; it gives
    // itself.
    if (m.isEmpty())
        return w.toString();
    return m;
}

} // namespace

QString FillTemplate(QStringView templateText, const TextRecord& row) {
    return fill(templateText, [&row](QStringView name, QString& out) {
        const QVariant& value = row.value(row.columnIndex(name));
        if (value.isNull())
            return;
        // Texts are by far the most common values; skip the rendering.
        if (value.typeId() == QMetaType::QString)
            out += *static_cast<const QString*>(value.constData());
        else
            out += Recordset::render(value);
    });
}

QString FillTemplate(QStringView templateText, const Recordset& row) {
    return fill(templateText, [&row](QStringView name, QString& out) {
        for (int i = 0; i < row.fieldCount(); ++i) {
            if (ColumnNamesMatch(row.field(i).name, name)) {
                out += Recordset::render(row.value(i));
                return;
            }
        }
    });
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
    }
    return QString();
}

QString GsmNumberOf(const TextRecord& row, int gsmColumn) {
    const QVariant& value = row.value(gsmColumn);
    if (value.isNull())
        return QString();
    return NormalizeGsm(Recordset::render(value));
}

PreparedRow PrepareRow(QStringView templateText, const TextRecord& row, int gsmColumn) {
    PreparedRow prepared;
    prepared.filled = FillTemplate(templateText, row);
    prepared.number = GsmNumberOf(row, gsmColumn);
    prepared.outcome = ClassifyRow(prepared.filled, prepared.number);
    if (prepared.outcome == RowOutcome::Queued)
        prepared.message = CleanMessageText(prepared.filled);
    return prepared;
}

QString WizardCounterText(QStringView message) {
    return QString::number(message.size()) + QStringLiteral("/160");
}

QString EditorCounterText(QStringView message) {
    return QString::number(message.size()) + QStringLiteral(" / 160");
}
