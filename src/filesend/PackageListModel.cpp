#include "PackageListModel.h"

#include <limits>

#include <QFont>

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
    return parent.isValid() ? 0 : 3;
}

QVariant PackageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case GsmColumn:
            return m_list.number(index.row());
        case MessageColumn:
            return m_list.message(index.row());
        default:
            return m_list.parts(index.row());
        }
    case Qt::ForegroundRole:
        if (m_list.parts(index.row()) > 1)
            return DearColor;
        return {};
    case Qt::FontRole:
        // Only the count: a bold number would not fit its column.
        if (index.column() == SmsColumn && m_list.parts(index.row()) > 1) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == SmsColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant PackageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case GsmColumn:
        return QStringLiteral("GSMNO");
    case MessageColumn:
        return QStringLiteral("MESAJ");
    default:
        return QStringLiteral("SMS");
    }
}
