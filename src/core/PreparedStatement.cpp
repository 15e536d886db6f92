#include "PreparedStatement.h"

#include <sqlite3.h>

#include "Database.h"

PreparedStatement::PreparedStatement(Database& db, const QString& sql)
    : m_db(db)
    , m_sql(sql) {
    if (!db.m_db)
        throw DatabaseError(DatabaseError::Kind::Failed, QStringLiteral("Veritabanı açık değil"));
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db.m_db, utf8.constData(), static_cast<int>(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &m_handle, nullptr);
    if (rc != SQLITE_OK)
        db.fail(rc, sql);
}

PreparedStatement::~PreparedStatement() {
    sqlite3_finalize(m_handle);
}

void PreparedStatement::bind(int parameter, QStringView text) {
    // A null text is an empty one, not a Null: NOT NULL columns take it.
    const int rc = sqlite3_bind_text16(m_handle, parameter, text.utf16() ? text.utf16() : u"",
                                       static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        m_db.fail(rc, m_sql);
}

void PreparedStatement::bind(int parameter, qint64 value) {
    const int rc = sqlite3_bind_int64(m_handle, parameter, value);
    if (rc != SQLITE_OK)
        m_db.fail(rc, m_sql);
}

bool PreparedStatement::step() {
    const int rc = sqlite3_step(m_handle);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_handle);
    m_db.fail(rc, m_sql);
}

void PreparedStatement::reset() {
    sqlite3_reset(m_handle);
    sqlite3_clear_bindings(m_handle);
}

int PreparedStatement::changes() const {
    return sqlite3_changes(m_db.m_db);
}

QString PreparedStatement::text(int column) const {
    const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(m_handle, column));
    const int bytes = sqlite3_column_bytes16(m_handle, column);
    return data ? QString::fromUtf16(data, bytes / 2) : QString();
}

qint64 PreparedStatement::integer(int column) const {
    return sqlite3_column_int64(m_handle, column);
}

bool PreparedStatement::isNull(int column) const {
    return sqlite3_column_type(m_handle, column) == SQLITE_NULL;
}

Transaction::Transaction(Database& db)
    : m_db(db) {
    db.execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction() {
    if (!m_open)
        return;
    try {
        m_db.execute(QStringLiteral("ROLLBACK"));
    } catch (const DatabaseError&) {
        // The engine rolls back by itself after the errors that end a
        // transaction; nothing is left to undo then.
    }
}

void Transaction::commit() {
    m_db.execute(QStringLiteral("COMMIT"));
    m_open = false;
}
