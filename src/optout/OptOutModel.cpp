#include "OptOutModel.h"

#include <algorithm>
#include <exception>

#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/DbRoutines.h"
#include "core/RegionalFormat.h"

Q_LOGGING_CATEGORY(lcOptOut, "parlex.optout")

namespace {

constexpr int KeptPages = 16;

} // namespace

OptOutModel::OptOutModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void OptOutModel::reload() {
    OpenDatabase();
    std::vector<OptOutNumber> all = LoadOptOutNumbers(App().gConnection);
    beginResetModel();
    m_all = std::move(all);
    m_shown = OptOutSearch(m_search).filter(m_all);
    m_pages.clear();
    endResetModel();
}

void OptOutModel::setSearch(const QString& typed) {
    beginResetModel();
    m_search = typed;
    m_shown = OptOutSearch(typed).filter(m_all);
    m_pages.clear();
    endResetModel();
}

QString OptOutModel::numberAt(int row) const {
    if (row < 0 || row >= rowCount())
        return QString();
    return OptOutNumberText(m_shown[static_cast<size_t>(row)]);
}

int OptOutModel::rowOf(QStringView number) const {
    const OptOutNumber packed = PackOptOutNumber(number);
    const auto at = std::lower_bound(m_shown.begin(), m_shown.end(), packed);
    if (at == m_shown.end() || *at != packed || OptOutNumberText(packed) != number)
        return -1;
    return static_cast<int>(at - m_shown.begin());
}

int OptOutModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int OptOutModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const OptOutModel::Details* OptOutModel::details(int row) const {
    const int page = row / PageRows;
    auto found = m_pages.find(page);
    if (found == m_pages.end()) {
        if (m_pages.size() >= KeptPages)
            m_pages.clear();
        // The page's numbers are digits only: they go into the statement as
        // they are.
        QStringList numbers;
        const int last = std::min(rowCount(), (page + 1) * PageRows);
        for (int r = page * PageRows; r < last; ++r)
            numbers << QLatin1Char('\'') + numberAt(r) + QLatin1Char('\'');
        QHash<OptOutNumber, Details> read;
        try {
            Recordset rs = OpenRecordset(
                QStringLiteral("SELECT numara, tarih, kaynak, aciklama FROM tbl_ret WHERE numara "
                               "IN (%1)")
                    .arg(numbers.join(QLatin1Char(','))));
            for (rs.moveFirst(); !rs.eof(); rs.moveNext())
                read.insert(PackOptOutNumber(rs.text(0)),
                            Details{rs.value(1).toDateTime(), rs.text(2), rs.text(3)});
        } catch (const std::exception& e) {
            // The numbers still show; the rest comes with the next look.
            qCWarning(lcOptOut).noquote()
                << "opt-out list page unreadable:" << QString::fromUtf8(e.what());
            return nullptr;
        }
        found = m_pages.insert(page, std::move(read));
    }
    const auto at = found->find(m_shown[static_cast<size_t>(row)]);
    return at == found->end() ? nullptr : &*at;
}

QVariant OptOutModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    if (index.column() == Number)
        return numberAt(index.row());
    const Details* d = details(index.row());
    if (!d)
        return QString();
    switch (index.column()) {
    case Added:
        return d->added.isValid() ? RegionalDateTimeText(d->added) : QString();
    case Source:
        return d->source;
    case Note:
        return d->note;
    default:
        return {};
    }
}

QVariant OptOutModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    static const QStringList titles = {QStringLiteral("Numara"), QStringLiteral("Tarih"),
                                       QStringLiteral("Kaynak"), QStringLiteral("Açıklama")};
    return titles.value(section);
}
