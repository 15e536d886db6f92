#include "StatusListModel.h"

#include <algorithm>
#include <climits>

namespace {

// A grid counts its rows in int.
int shownRows(const StatusList& list) {
    return int(std::min<qsizetype>(list.rowCount(), INT_MAX));
}

} // namespace

StatusListModel::StatusListModel(const StatusList& list, QStringList headers, QObject* parent)
    : QAbstractTableModel(parent)
    , m_list(list)
    , m_headers(std::move(headers))
    , m_rows(shownRows(list)) {}

void StatusListModel::reset() {
    beginResetModel();
    m_rows = shownRows(m_list);
    endResetModel();
}

void StatusListModel::sync() {
    const int rows = shownRows(m_list);
    if (rows < m_rows) {
        reset();
    } else if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    }
}

int StatusListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int StatusListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant StatusListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows ||
        index.row() >= m_list.rowCount())
        return {};
    if (index.column() == 0)
        return m_list.gsmNo(index.row()).toString();
    return m_list.durum(index.row());
}

QVariant StatusListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_headers.size() ? QVariant(m_headers.at(section))
                                                          : QVariant();
    return section + 1;
}
