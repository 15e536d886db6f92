#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "StatusList.h"

// A status grid over a StatusList: the rows shown, two columns under the
// given headers. Rows appended by a running report come in with sync(),
// without resetting the grid.
class StatusListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    StatusListModel(const StatusList& list, QStringList headers, QObject* parent = nullptr);

    // The list was emptied or filtered: the grid starts again.
    void reset();
    // Rows were appended: the grid shows them.
    void sync();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const StatusList& m_list;
    QStringList m_headers;
    int m_rows = 0;
};
