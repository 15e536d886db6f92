#include "RunnerMemory.h"

#include <exception>

#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/DbRoutines.h"

Q_DECLARE_LOGGING_CATEGORY(lcRunner)

void RunnerLog(const QString& text) {
    try {
        WriteLog(text);
    } catch (const std::exception& e) {
        qCWarning(lcRunner).noquote() << text << "(not logged:" << e.what() << ")";
    }
}

namespace RunnerMemory {

namespace {

QHash<QString, QString>& memory() {
    AppState& app = App();
    if (!app.runnerMemoryLoaded) {
        try {
            Recordset rs = OpenRecordset(QStringLiteral("SELECT anahtar, metin FROM tbl_bildirim"));
            for (rs.moveFirst(); !rs.eof(); rs.moveNext())
                app.runnerNotices.insert(rs.text(0), rs.text(1));
            app.runnerMemoryLoaded = true;
        } catch (const std::exception& e) {
            qCWarning(lcRunner) << "runner notes not read:" << e.what();
        }
    }
    return app.runnerNotices;
}

void store(const QString& sql) {
    try {
        ExecuteSql(sql);
    } catch (const std::exception& e) {
        qCWarning(lcRunner) << "runner note kept in memory only:" << e.what();
    }
}

} // namespace

std::optional<QString> value(const QString& key) {
    const auto& notes = memory();
    const auto it = notes.constFind(key);
    if (it == notes.cend())
        return std::nullopt;
    return *it;
}

void setValue(const QString& key, const QString& text) {
    auto& notes = memory();
    const auto it = notes.constFind(key);
    if (it != notes.cend() && *it == text)
        return;
    notes.insert(key, text);
    store(QStringLiteral("INSERT OR REPLACE INTO tbl_bildirim (anahtar, metin) VALUES ('") +
          SqlQuote(key) + QStringLiteral("','") + SqlQuote(text) + QStringLiteral("')"));
}

bool clear(const QString& key) {
    if (!memory().remove(key))
        return false;
    store(QStringLiteral("DELETE FROM tbl_bildirim WHERE anahtar = '") + SqlQuote(key) +
          QLatin1Char('\''));
    return true;
}

void notice(const QString& key, const QString& text) {
    if (value(key) == text)
        return;
    setValue(key, text);
    RunnerLog(text);
}

QStringList keysStartingWith(const QString& prefix) {
    QStringList keys;
    const auto& notes = memory();
    for (auto it = notes.cbegin(); it != notes.cend(); ++it) {
        if (it.key().startsWith(prefix))
            keys << it.key();
    }
    return keys;
}

} // namespace RunnerMemory
