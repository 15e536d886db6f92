#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>

#include "OptOutList.h"

// The opt-out list in a grid, quick with a million numbers: the numbers are
// held four bytes each, sorted, and what a search lets through is a second
// such list; the date, source and note are read a page at a time, only for
// the rows the grid paints.
class OptOutModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int PageRows = 200;
    enum Column { Number, Added, Source, Note, ColumnCount };

    explicit OptOutModel(QObject* parent = nullptr);

    // Reads the list again from the database (raises DatabaseError) and
    // keeps the search.
    void reload();
    // Shows only what `typed` matches (all for an empty text).
    void setSearch(const QString& typed);

    qint64 totalCount() const { return static_cast<qint64>(m_all.size()); }
    QString numberAt(int row) const;
    // The row showing a normalised number; -1 when it is not shown.
    int rowOf(QStringView number) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Details {
        QDateTime added;
        QString source;
        QString note;
    };
    const Details* details(int row) const;

    std::vector<OptOutNumber> m_all;
    std::vector<OptOutNumber> m_shown;
    QString m_search;
    // The pages read last, by page number; dropped whole when too many.
    mutable QHash<int, QHash<OptOutNumber, Details>> m_pages;
};
