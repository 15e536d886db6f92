#pragma once

#include <QString>
#include <QStringView>

class Database;
struct sqlite3_stmt;

// One statement prepared once and run many times with other values: what a
// list of a million rows is written and read with, where a text statement
// per row would cost its parsing a million times. Values are bound, never
// pasted in, so they need no quoting.
class PreparedStatement {
public:
    PreparedStatement(Database& db, const QString& sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    // Parameters are numbered from 1, as "?" marks them.
    void bind(int parameter, QStringView text);
    void bind(int parameter, qint64 value);
    // Runs to the next row: true while there is one. Raises DatabaseError.
    bool step();
    // Ready to run again with new values.
    void reset();
    // Rows the last finished run inserted, changed or deleted.
    int changes() const;

    // The current row's columns, numbered from 0.
    QString text(int column) const;
    qint64 integer(int column) const;
    bool isNull(int column) const;

private:
    Database& m_db;
    QString m_sql;
    sqlite3_stmt* m_handle = nullptr;
};

// BEGIN IMMEDIATE up to commit(); anything that leaves before it rolls the
// whole of it back, so a failure halfway leaves the tables as they were.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& m_db;
    bool m_open = true;
};
