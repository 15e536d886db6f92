#include "PackageListModel.h"

#include <limits>

PackageListModel::PackageListModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void PackageListModel::reset(PackageList list) {
    beginResetModel();
    m_list = std::move(list);
    endResetModel();
}

bool PackageListModel::removeEntry(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    beginRemoveRows({}, row, row);
    m_list.removeAt(row);
    endRemoveRows();
    return true;
}

int PackageListModel::rowCount(const QModelIndex& parent) const {
    // A grid counts rows in int; a longer list shows its first 2^31 - 1.
    return parent.isValid()
               ? 0
               : static_cast<int>(std::min<qint64>(m_list.size(), std::numeric_limits<int>::max()));
}

int PackageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant PackageListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return index.column() == 0 ? m_list.number(index.row()) : m_list.message(index.row());
}

QVariant PackageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section == 0 ? QStringLiteral("GSMNO") : QStringLiteral("MESAJ");
}
