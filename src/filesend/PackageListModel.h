#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include "PackageList.h"

// The package list in the grid DataGrid2: columns GSMNO, MESAJ and SMS, one
// row per entry left. Rows are made as the grid paints them, so a list of a
// million entries costs the grid nothing more than a short one. An entry
// billed as more than one SMS stands out: dark red, its count bold.
class PackageListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { GsmColumn, MessageColumn, SmsColumn };
    static inline const QColor DearColor = QColor(176, 0, 0);

    explicit PackageListModel(QObject* parent = nullptr);

    PackageList& list() { return m_list; }
    const PackageList& list() const { return m_list; }
    // After the list was rebuilt behind the model's back.
    void reset(PackageList list);
    void clear() { reset(PackageList()); }
    bool removeEntry(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    PackageList m_list;
};
