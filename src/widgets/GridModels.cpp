#include "GridModels.h"

#include <exception>

#include <QLoggingCategory>

#include "core/DbRoutines.h"
#include "core/Routines.h"
#include "core/SystemError.h"

Q_LOGGING_CATEGORY(lcGrids, "parlex.grids")

namespace {

class ChangeGuard {
public:
    explicit ChangeGuard(bool& flag)
        : m_flag(flag) {
        m_flag = true;
    }
    ~ChangeGuard() { m_flag = false; }
    ChangeGuard(const ChangeGuard&) = delete;
    ChangeGuard& operator=(const ChangeGuard&) = delete;

private:
    bool& m_flag;
};

} // namespace

RecordsetModel::RecordsetModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void RecordsetModel::setRecordset(const Recordset& recordset) {
    beginResetModel();
    // A clone starts unfiltered; the grid shows what the caller sees.
    m_rs = recordset.clone();
    m_rs.setFilter(recordset.filter());
    endResetModel();
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rs.recordCount();
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rs.fieldCount();
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    m_rs.setAbsolutePosition(index.row() + 1);
    return Recordset::render(m_rs.value(index.column()));
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_rs.fieldCount() ? m_rs.field(section).name : QString();
    return section + 1;
}

NewestFirstModel::NewestFirstModel(QString table, QString key, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(std::move(table))
    , m_key(std::move(key)) {}

NewestFirstModel::Page NewestFirstModel::query(const QString& condition, int limit) const {
    QString sql = QStringLiteral("SELECT * FROM ") + m_table;
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    sql += QStringLiteral(" ORDER BY ") + m_key + QStringLiteral(" DESC LIMIT ") +
           QString::number(limit);
    Recordset rs = OpenRecordset(sql);

    Page page;
    // Columns come with the result even when it has no rows.
    page.fields = rs.fieldNames();
    page.rows.reserve(static_cast<size_t>(rs.recordCount()));
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        Row row;
        row.reserve(static_cast<size_t>(rs.fieldCount()));
        for (int c = 0; c < rs.fieldCount(); ++c)
            row.push_back(rs.value(c));
        page.rows.push_back(std::move(row));
    }
    return page;
}

qint64 NewestFirstModel::keyOf(const Row& row) const {
    return static_cast<size_t>(m_keyColumn) < row.size()
               ? row[static_cast<size_t>(m_keyColumn)].toLongLong()
               : 0;
}

void NewestFirstModel::reload() {
    if (m_changing)
        return;
    Page page = query(QString(), m_pageSize);
    ChangeGuard guard(m_changing);
    beginResetModel();
    m_fields = page.fields;
    m_keyColumn = qMax(0, static_cast<int>(m_fields.indexOf(m_key)));
    m_rows.assign(std::make_move_iterator(page.rows.begin()),
                  std::make_move_iterator(page.rows.end()));
    m_atEnd = static_cast<int>(m_rows.size()) < m_pageSize;
    endResetModel();
}

void NewestFirstModel::refresh() {
    if (m_changing)
        return;
    if (m_fields.isEmpty() || m_rows.empty()) {
        reload();
        return;
    }
    const qint64 newest = keyOf(m_rows.front());
    Recordset top =
        OpenRecordset(QStringLiteral("SELECT MAX(") + m_key + QStringLiteral(") FROM ") + m_table);
    const QVariant maxKey = top.isEmpty() ? QVariant() : top.value(0);
    if (maxKey.isNull() || maxKey.toLongLong() < newest) {
        // Rows went away (the table was emptied): start again.
        reload();
        return;
    }
    if (maxKey.toLongLong() == newest)
        return;

    std::vector<Row> added =
        query(m_key + QStringLiteral(" > ") + QString::number(newest), m_pageSize + 1).rows;
    if (static_cast<int>(added.size()) > m_pageSize) {
        // More new rows than a page: a fresh first page is cheaper to show.
        reload();
        return;
    }
    ChangeGuard guard(m_changing);
    beginInsertRows(QModelIndex(), 0, static_cast<int>(added.size()) - 1);
    m_rows.insert(m_rows.begin(), std::make_move_iterator(added.begin()),
                  std::make_move_iterator(added.end()));
    endInsertRows();
}

int NewestFirstModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int NewestFirstModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant NewestFirstModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    const auto column = static_cast<size_t>(index.column());
    return column < row.size() ? Recordset::render(row[column]) : QString();
}

void NewestFirstModel::setColumnTitle(const QString& field, const QString& title) {
    m_titles.insert(field, title);
    const auto column = static_cast<int>(m_fields.indexOf(field));
    if (column >= 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

QVariant NewestFirstModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_fields.size())
            return QString();
        const QString& field = m_fields.at(section);
        return m_titles.value(field, field);
    }
    return section + 1;
}

bool NewestFirstModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_atEnd && !m_rows.empty() && !m_changing;
}

void NewestFirstModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    const qint64 oldest = keyOf(m_rows.back());
    std::vector<Row> older;
    try {
        older = query(m_key + QStringLiteral(" < ") + QString::number(oldest), m_pageSize).rows;
    } catch (const std::exception& e) {
        // The view asks while the user scrolls, in the middle of its layout:
        // no box there, and the next scroll asks again.
        qCWarning(lcGrids).noquote() << m_table << "page failed:" << QString::fromUtf8(e.what());
        SetStatusText(QStringLiteral("Önceki kayıtlar okunamadı: ") + ErrorText(e));
        return;
    }
    m_atEnd = static_cast<int>(older.size()) < m_pageSize;
    if (older.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    ChangeGuard guard(m_changing);
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(older.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(older.begin()),
                  std::make_move_iterator(older.end()));
    endInsertRows();
}
