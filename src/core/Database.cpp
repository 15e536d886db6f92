#include "Database.h"

#include <cerrno>
#include <optional>
#include <utility>

#include <sqlite3.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include "DatabaseSchema.h"

namespace {

// Finalises a prepared statement however the caller leaves.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

FieldType typeFromDeclaration(const char* declared) {
    const QByteArray decl = QByteArray(declared ? declared : "").toUpper();
    if (decl.contains("DATE") || decl.contains("TIME"))
        return FieldType::DateTime;
    if (decl.contains("INT"))
        return FieldType::Integer;
    if (decl.contains("REAL") || decl.contains("DOUB") || decl.contains("FLOA") ||
        decl.contains("NUM"))
        return FieldType::Double;
    return FieldType::Text;
}

QVariant readColumn(sqlite3_stmt* stmt, int column, FieldType type) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    default: {
        const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(stmt, column));
        const int bytes = sqlite3_column_bytes16(stmt, column);
        QString text = QString::fromUtf16(data, bytes / 2);
        if (type == FieldType::DateTime) {
            QDateTime when = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (when.isValid())
                return when;
        }
        return text;
    }
    }
}

} // namespace

QString DatabaseError::causeText(Kind kind) {
    switch (kind) {
    case Kind::Locked:
        return QStringLiteral("veritabanı başka bir program tarafından kullanılıyor.");
    case Kind::DiskFull:
        return QStringLiteral("diskte yer kalmadı.");
    case Kind::NotWritable:
        return QStringLiteral("klasöre yazılamıyor.");
    case Kind::FolderMissing:
        return QStringLiteral("klasör bulunamadı.");
    default:
        return QString();
    }
}

std::optional<DatabaseError::Kind> DatabaseError::kindOfSystemError(int systemError) {
    switch (systemError) {
    case ENOSPC:
    case EDQUOT:
        return DatabaseError::Kind::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return DatabaseError::Kind::NotWritable;
    case ENOENT:
    case ENOTDIR:
        return DatabaseError::Kind::FolderMissing;
    default:
        return std::nullopt;
    }
}

DatabaseError::Kind DatabaseError::kindOf(int engineCode, int systemError) {
    switch (engineCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Kind::Locked;
    case SQLITE_NOTADB:
        return Kind::NotADatabase;
    case SQLITE_FULL:
        return Kind::DiskFull;
    case SQLITE_READONLY:
        return Kind::NotWritable;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
        // Only the system knows why; a file that is a folder, say, has no
        // cause worth more than the engine's message.
        return kindOfSystemError(systemError).value_or(Kind::Failed);
    default:
        return Kind::Failed;
    }
}

DatabaseError::Kind DatabaseError::folderProblem(const QString& folder, int systemError) {
    if (!QFileInfo(folder).isDir())
        return Kind::FolderMissing;
    const QStorageInfo disk(folder);
    if (disk.isValid() && disk.isReadOnly())
        return Kind::NotWritable;
    if (const auto kind = kindOfSystemError(systemError))
        return *kind;
    if (disk.isValid() && disk.bytesAvailable() == 0)
        return Kind::DiskFull;
    if (!QFileInfo(folder).isWritable())
        return Kind::NotWritable;
    return Kind::Failed;
}

Database::~Database() {
    close();
}

[[noreturn]] void Database::fail(int code, const QString& context) const {
    const QString engine =
        m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code));
    const DatabaseError::Kind kind =
        DatabaseError::kindOf(code, m_db ? sqlite3_system_errno(m_db) : 0);
    if (kind == DatabaseError::Kind::Locked) {
        throw DatabaseError(DatabaseError::Kind::Locked,
                            QStringLiteral("Veritabanı başka bir program tarafından kullanılıyor "
                                           "(%1): %2")
                                .arg(m_filePath, context));
    }
    if (kind == DatabaseError::Kind::NotADatabase) {
        throw DatabaseError(DatabaseError::Kind::NotADatabase,
                            QStringLiteral("%1 bir veritabanı dosyası değil").arg(m_filePath));
    }
    throw DatabaseError(kind, QStringLiteral("%1 (%2)").arg(engine, context));
}

void Database::open(const QString& filePath) {
    close();
    m_filePath = filePath;

    // The file holds passwords: create it readable by the owner only, before
    // the engine creates it with the default mode.
    if (!QFileInfo::exists(filePath)) {
        QFile file(filePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            const int systemError = errno;
            throw DatabaseError(
                DatabaseError::folderProblem(QFileInfo(filePath).absolutePath(), systemError),
                QStringLiteral("%1 oluşturulamadı: %2").arg(filePath, file.errorString()));
        }
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }

    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(filePath.toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    m_db = db;
    if (rc != SQLITE_OK) {
        const QString message =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int systemError = db ? sqlite3_system_errno(db) : 0;
        close();
        throw DatabaseError(DatabaseError::kindOf(rc, systemError),
                            QStringLiteral("%1 açılamadı: %2").arg(filePath, message));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, m_busyTimeoutMs);
    static std::uint64_t openings = 0;
    m_connection = ++openings;
    m_rowsWritten.clear();
    // Every row this connection inserts, changes or deletes, by table. A
    // statement rolled back still counts: a reader only reads once more.
    sqlite3_update_hook(
        m_db,
        [](void* self, int, const char*, const char* table, sqlite3_int64) {
            auto& written = static_cast<Database*>(self)->m_rowsWritten;
            const std::string_view name(table);
            if (auto it = written.find(name); it != written.end())
                ++it->second;
            else
                written.emplace(name, 1);
        },
        this);

    try {
        execute(QStringLiteral("PRAGMA foreign_keys = OFF"));
        // A write-ahead log with NORMAL syncing makes each statement cheap (the
        // log lines of a pass would otherwise wait for the disk one by one);
        // the few records that must survive a power cut use executeDurably.
        execute(QStringLiteral("PRAGMA journal_mode = WAL"));
        execute(QStringLiteral("PRAGMA synchronous = NORMAL"));
        createSchema();
    } catch (...) {
        close();
        throw;
    }
}

void Database::close() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void Database::setBusyTimeout(int milliseconds) {
    m_busyTimeoutMs = milliseconds;
    if (m_db)
        sqlite3_busy_timeout(m_db, milliseconds);
}

void Database::createSchema() {
    Recordset version = openRecordset(QStringLiteral("PRAGMA user_version"));
    const int current = version.isEmpty() ? 0 : version.value(0).toInt();
    if (current == SchemaVersion)
        return;
    if (current > SchemaVersion) {
        throw DatabaseError(DatabaseError::Kind::TooNew,
                            QStringLiteral("%1 bu programdan daha yeni bir sürümle oluşturulmuş "
                                           "(şema %2)")
                                .arg(m_filePath)
                                .arg(current));
    }
    // One transaction: a half-created database would look valid next time.
    execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        if (current == 0) {
            for (const QString& statement : SchemaStatements())
                execute(statement);
        } else {
            for (int from = current; from < SchemaVersion; ++from) {
                for (const QString& statement : SchemaUpgradeStatements(from))
                    execute(statement);
            }
        }
        execute(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
        execute(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

QString Database::translateDateLiterals(const QString& sql) {
    if (!sql.contains(QLatin1Char('#')))
        return sql;
    static const QRegularExpression literal(QStringLiteral(
        "^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"));
    QString out;
    out.reserve(sql.size() + 8);
    bool quoted = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted; // a doubled quote toggles twice and stays inside
            out += c;
            continue;
        }
        if (quoted || c != QLatin1Char('#')) {
            out += c;
            continue;
        }
        const qsizetype end = sql.indexOf(QLatin1Char('#'), i + 1);
        const QString body = end < 0 ? sql.mid(i + 1) : sql.mid(i + 1, end - i - 1);
        const auto m = literal.match(body);
        const QDate date = m.hasMatch() ? QDate(m.captured(3).toInt(), m.captured(1).toInt(),
                                                m.captured(2).toInt())
                                        : QDate();
        const QTime time = !m.hasMatch() ? QTime()
                           : m.captured(4).isEmpty()
                               ? QTime(0, 0, 0)
                               : QTime(m.captured(4).toInt(), m.captured(5).toInt(),
                                       m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
        if (end < 0 || !date.isValid() || !time.isValid()) {
            throw DatabaseError(DatabaseError::Kind::BadDateLiteral,
                                QStringLiteral("Tarih anlaşılamadı: #%1#").arg(body));
        }
        out += QLatin1Char('\'');
        out += date.toString(QStringLiteral("yyyy-MM-dd"));
        out += QLatin1Char(' ');
        out += time.toString(QStringLiteral("HH:mm:ss"));
        out += QLatin1Char('\'');
        i = end;
    }
    return out;
}

void Database::executeDurably(const QString& sql) {
    execute(QStringLiteral("PRAGMA synchronous = FULL"));
    try {
        execute(sql);
    } catch (...) {
        sqlite3_exec(m_db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
        throw;
    }
    execute(QStringLiteral("PRAGMA synchronous = NORMAL"));
}

void Database::execute(const QString& sql) {
    Recordset ignored = openRecordset(sql);
    Q_UNUSED(ignored);
}

sqlite3_stmt* Database::prepare(const QString& sql) {
    if (!m_db)
        throw DatabaseError(DatabaseError::Kind::Failed, QStringLiteral("Veritabanı açık değil"));
    const QString translated = translateDateLiterals(sql);
    const QByteArray utf8 = translated.toUtf8();

    Statement stmt;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_db, utf8.constData(), static_cast<int>(utf8.size()), &stmt.handle,
                                &tail);
    if (rc != SQLITE_OK)
        fail(rc, sql);
    // One statement per call, as the program has always sent them; a second
    // one smuggled in through a value must never run.
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";") {
        throw DatabaseError(DatabaseError::Kind::Failed,
                            QStringLiteral("Birden fazla SQL ifadesi: %1").arg(sql));
    }
    return std::exchange(stmt.handle, nullptr);
}

void Database::forEachText(const QString& sql, const std::function<void(const char*, int)>& each) {
    Statement stmt;
    stmt.handle = prepare(sql);
    if (!stmt.handle)
        return;
    int rc;
    while ((rc = sqlite3_step(stmt.handle)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.handle, 0));
        each(text, text ? sqlite3_column_bytes(stmt.handle, 0) : 0);
    }
    if (rc != SQLITE_DONE)
        fail(rc, sql);
}

Database::TableVersion Database::tableVersion(std::string_view table) {
    TableVersion version;
    version.connection = m_connection;
    version.committedElsewhere =
        openRecordset(QStringLiteral("PRAGMA data_version")).value(0).toLongLong();
    if (auto it = m_rowsWritten.find(table); it != m_rowsWritten.end())
        version.rowsWritten = it->second;
    return version;
}

Recordset Database::openRecordset(const QString& sql) {
    Statement stmt;
    stmt.handle = prepare(sql);
    if (!stmt.handle) // only blanks or a comment
        return Recordset();

    const int columns = sqlite3_column_count(stmt.handle);
    std::vector<FieldType> types(static_cast<size_t>(columns));
    std::vector<bool> declared(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        const char* decl = sqlite3_column_decltype(stmt.handle, c);
        declared[static_cast<size_t>(c)] = decl != nullptr;
        types[static_cast<size_t>(c)] = typeFromDeclaration(decl);
    }

    std::vector<std::vector<QVariant>> rows;
    int rc;
    while ((rc = sqlite3_step(stmt.handle)) == SQLITE_ROW) {
        std::vector<QVariant> row;
        row.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            // Expressions (COUNT, SUM) have no declared type: take the value's.
            if (!declared[static_cast<size_t>(c)]) {
                const int t = sqlite3_column_type(stmt.handle, c);
                if (t == SQLITE_INTEGER)
                    types[static_cast<size_t>(c)] = FieldType::Integer;
                else if (t == SQLITE_FLOAT)
                    types[static_cast<size_t>(c)] = FieldType::Double;
                if (t != SQLITE_NULL)
                    declared[static_cast<size_t>(c)] = true;
            }
            row.push_back(readColumn(stmt.handle, c, types[static_cast<size_t>(c)]));
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        fail(rc, sql);

    Recordset result;
    for (int c = 0; c < columns; ++c) {
        QString name = QString::fromUtf8(sqlite3_column_name(stmt.handle, c));
        QString unique = name;
        for (int n = 1; result.fieldIndex(unique) >= 0; ++n)
            unique = name + QString::number(n);
        result.appendField(unique, types[static_cast<size_t>(c)]);
    }
    for (auto& row : rows)
        result.appendRow(std::move(row));
    result.setReadOnly(true);
    result.moveFirst();
    return result;
}

qint64 Database::lastInsertId() const {
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

QString Database::engineVersion() {
    return QString::fromLatin1(sqlite3_libversion());
}
