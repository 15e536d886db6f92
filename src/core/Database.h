#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <QString>

#include "Recordset.h"

struct sqlite3;
struct sqlite3_stmt;

class DatabaseError : public std::runtime_error {
public:
    // Locked and the last three are the user's to put right: they have a
    // cause text.
    enum class Kind {
        Failed,
        Locked,
        NotADatabase,
        TooNew,
        BadDateLiteral,
        DiskFull,
        NotWritable,
        FolderMissing
    };

    DatabaseError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString())
        , m_kind(kind)
        , m_message(message) {}
    Kind kind() const { return m_kind; }
    QString message() const { return m_message; }
    QString cause() const { return causeText(m_kind); }

    // The cause in the user's words ("diskte yer kalmadı."); empty for a
    // kind where the message says more.
    static QString causeText(Kind kind);
    // The kind a system error (errno) stands for, if it is one of ours.
    static std::optional<Kind> kindOfSystemError(int systemError);
    // The kind behind an engine result code and the system error under it.
    static Kind kindOf(int engineCode, int systemError);
    // Why a file cannot be made in `folder`: the folder and its disk as they
    // are now, else the system error of the failed call.
    static Kind folderProblem(const QString& folder, int systemError);

private:
    Kind m_kind;
    QString m_message;
};

// The program's one database file. Statements are written in the dialect the
// program has always used (#MM/DD/YYYY# date literals, regional date-time
// texts in INSERTs) and run on SQLite.
class Database {
public:
    static constexpr int SchemaVersion = 5;
    static constexpr int DefaultBusyTimeoutMs = 5000;

    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file, creating it (mode 0600) with the program's tables when
    // it is missing.
    void open(const QString& filePath);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString filePath() const { return m_filePath; }

    // How long a statement waits for another process holding the file.
    void setBusyTimeout(int milliseconds);

    void execute(const QString& sql);
    // The same, on disk before it returns even if the power fails next.
    void executeDurably(const QString& sql);
    // The id the last INSERT on this connection gave its row (0 when none):
    // unlike MAX(id), never another process's row.
    qint64 lastInsertId() const;

    // Static, read-only result.
    Recordset openRecordset(const QString& sql);
    // Calls `each` with the first column of every row as UTF-8 bytes (a
    // Null as none), building no result: a million rows are read at once.
    void forEachText(const QString& sql, const std::function<void(const char*, int)>& each);

    // Differs from an earlier one whenever `table` may have changed in
    // between: rows written through this connection, anything committed by
    // another one, or the connection opened anew. Lets a large table read
    // whole be kept until then.
    struct TableVersion {
        std::uint64_t connection = 0;
        std::int64_t committedElsewhere = 0;
        std::uint64_t rowsWritten = 0;
        bool operator==(const TableVersion&) const = default;
    };
    TableVersion tableVersion(std::string_view table);

    // Rewrites the engine's #...# date literals outside quoted texts into ISO
    // texts; raises BadDateLiteral for one that names no real date.
    static QString translateDateLiterals(const QString& sql);

    // The SQLite library's version text, for example 3.40.1.
    static QString engineVersion();

private:
    friend class PreparedStatement;

    void createSchema();
    // The one statement `sql` holds, prepared; null for only blanks or a
    // comment.
    sqlite3_stmt* prepare(const QString& sql);
    [[noreturn]] void fail(int code, const QString& context) const;

    sqlite3* m_db = nullptr;
    QString m_filePath;
    std::uint64_t m_connection = 0; // which opening of any database this is
    std::map<std::string, std::uint64_t, std::less<>> m_rowsWritten; // by table
    int m_busyTimeoutMs = DefaultBusyTimeoutMs;
};
