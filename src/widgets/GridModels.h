#pragma once

#include <deque>
#include <vector>

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

#include "core/Recordset.h"

// A read-only grid over a Recordset: one grid row per visible record, the
// field names as column headers, values as the program shows them.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit RecordsetModel(QObject* parent = nullptr);

    void setRecordset(const Recordset& recordset);
    const Recordset& recordset() const { return m_rs; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // The model's own cursor; moving it does not disturb the caller's.
    mutable Recordset m_rs;
};

// A grid over a database table listed newest first by its automatic number,
// read a page at a time: the first page when it is (re)loaded, older pages
// as the grid scrolls down, and on refresh only the rows added since. A
// table of a million rows costs no more per refresh than one of a hundred.
class NewestFirstModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int DefaultPageSize = 200;

    NewestFirstModel(QString table, QString key, QObject* parent = nullptr);

    void setPageSize(int rows) { m_pageSize = rows > 0 ? rows : DefaultPageSize; }
    // The header a field's column shows instead of the field's name.
    void setColumnTitle(const QString& field, const QString& title);

    // Drops what was read and reads the newest page again.
    void reload();
    // Adds the rows written since the last look on top.
    void refresh();

    QStringList fieldNames() const { return m_fields; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    using Row = std::vector<QVariant>;
    struct Page {
        QStringList fields;
        std::vector<Row> rows;
    };

    // "SELECT * FROM table [WHERE condition] ORDER BY key DESC LIMIT n".
    Page query(const QString& condition, int limit) const;
    qint64 keyOf(const Row& row) const;

    QString m_table;
    QString m_key;
    int m_keyColumn = 0;
    int m_pageSize = DefaultPageSize;
    QStringList m_fields;
    QHash<QString, QString> m_titles;
    std::deque<Row> m_rows;
    bool m_atEnd = true;
    // Set while the model announces a change: a view or tester asking for
    // more rows from inside those signals must wait for the change to end.
    bool m_changing = false;
};
