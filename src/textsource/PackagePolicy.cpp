#include "PackagePolicy.h"

#include <exception>

#include <QLoggingCategory>
#include <QStringList>

#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"

Q_LOGGING_CATEGORY(lcPolicy, "parlex.policy")

QString ReadRefusalText() {
    try {
        return GetParam(QLatin1String(ParamName::RefusalText)).trimmed();
    } catch (const std::exception& e) {
        qCWarning(lcPolicy) << "refusal text unreadable:" << e.what();
        return QString();
    }
}

QString RefusalEnding(const PackagePolicy& policy, QStringView templateText,
                      const QString& refusalText) {
    if (!policy.commercial || refusalText.isEmpty() || templateText.contains(refusalText))
        return QString();
    return refusalText;
}

bool LacksRefusalLine(const PackagePolicy& policy, const QString& refusalText) {
    return policy.commercial && refusalText.isEmpty();
}

QString ScreenedRowsText(qint64 optedOut, qint64 repeated) {
    QStringList parts;
    if (optedOut > 0)
        parts << QStringLiteral("ret listesindeki numaralara ait %1 satır (h04_)").arg(optedOut);
    if (repeated > 0)
        parts << QStringLiteral("aynı numarayı tekrarlayan %1 satır (h05_)").arg(repeated);
    if (parts.isEmpty())
        return QString();
    return QStringLiteral(" dosyasında ") + parts.join(QStringLiteral(" ve ")) +
           QStringLiteral(" pakete alınmadı.");
}

NumberScreen::NumberScreen(const PackagePolicy& policy, std::shared_ptr<const OptOutSet> optOut)
    : m_policy(policy)
    , m_optOut(std::move(optOut)) {}

NumberScreen NumberScreen::forPolicy(const PackagePolicy& policy) {
    return NumberScreen(policy, policy.commercial ? LoadOptOutSet() : nullptr);
}

void NumberScreen::expectRows(qint64 rows) {
    if (m_policy.oneMessagePerNumber && rows > 0)
        m_seen.reserve(static_cast<std::size_t>(rows));
}

RowOutcome NumberScreen::screen(QStringView number) {
    return screenKey(prefetch(number));
}

void NumberScreen::apply(PreparedRow& row) {
    if (row.outcome != RowOutcome::Queued)
        return;
    row.outcome = screen(row.number);
    if (row.outcome != RowOutcome::Queued) {
        row.message.clear();
        row.parts = 0;
    }
}
