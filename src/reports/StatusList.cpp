#include "StatusList.h"

#include <algorithm>
#include <stdexcept>

#include "core/LargePages.h"

namespace {

// Longer cells are cut: a cell is never more than a report line holds.
constexpr qsizetype MaxCell = 0xFFFF;

} // namespace

QString StatusList::stateText(State state) {
    switch (state) {
    case Waiting:
        return QStringLiteral("Beklemede");
    case Delivered:
        return QStringLiteral("İletildi");
    case TimedOut:
        return QStringLiteral("Zaman Aşımı");
    case Rejected:
        return QStringLiteral("Reddedildi");
    case NoState:
        break;
    }
    return QString();
}

void StatusList::reserve(qsizetype rows, qsizetype textChars) {
    if (size_t(std::max<qsizetype>(rows, 0)) > m_rows.capacity()) {
        m_rows.reserve(size_t(rows));
        AdviseLargePages(m_rows.data() + m_rows.size(),
                         (m_rows.capacity() - m_rows.size()) * sizeof(Row));
    }
    if (m_filtered)
        m_view.reserve(size_t(std::max<qsizetype>(rows, 0)));
    // A shared reply is never asked for room: that would copy it.
    if (textChars > m_text.capacity())
        m_text.reserve(textChars);
}

void StatusList::shareText(const QString& text) {
    if (!m_rows.empty())
        throw std::logic_error("shareText on a list with rows");
    // Offsets are 32 bits; the gateway client takes no reply that large.
    if (text.size() > qsizetype(UINT32_MAX))
        throw std::length_error("report reply too large");
    m_text = text;
}

void StatusList::clear() {
    m_text.clear();
    m_rows.clear();
    m_view.clear();
    // A new report starts unfiltered: its boxes are all ticked.
    m_filtered = false;
}

void StatusList::append(QStringView gsmNo, State state) {
    gsmNo = gsmNo.left(MaxCell);
    // The offsets are 32 bits: a list never holds 4 G characters of numbers.
    if (m_text.size() + gsmNo.size() > qsizetype(UINT32_MAX))
        throw std::length_error("status list full");
    Row row{std::uint32_t(m_text.size()), 0, std::uint16_t(gsmNo.size()), 0, state};
    m_text.append(gsmNo);
    m_rows.push_back(row);
    if (m_filtered && passes(row))
        m_view.push_back(std::uint32_t(m_rows.size() - 1));
}

void StatusList::append(QStringView gsmNo, QStringView text) {
    append(gsmNo, NoState);
    text = text.left(MaxCell);
    Row& row = m_rows.back();
    row.textOffset = std::uint32_t(m_text.size());
    row.textLength = std::uint16_t(text.size());
    m_text.append(text);
}

bool StatusList::passes(const Row& row) const {
    return row.state < StateCount && m_pass[row.state];
}

void StatusList::setFilter(const std::array<bool, StateCount>& ticked) {
    const auto count = std::count(ticked.begin(), ticked.end(), true);
    m_view.clear();
    m_filtered = count != 0 && count != StateCount;
    m_pass = ticked;
    if (!m_filtered)
        return;
    if (m_rows.size() > m_view.capacity()) {
        m_view.reserve(m_rows.size());
        AdviseLargePages(m_view.data(), m_view.capacity() * sizeof(std::uint32_t));
    }
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (passes(m_rows[i]))
            m_view.push_back(std::uint32_t(i));
}

qsizetype StatusList::rowCount() const {
    return m_filtered ? qsizetype(m_view.size()) : qsizetype(m_rows.size());
}

const StatusList::Row& StatusList::shown(qsizetype shownRow) const {
    return m_filtered ? m_rows.at(m_view.at(size_t(shownRow))) : m_rows.at(size_t(shownRow));
}

QStringView StatusList::gsmNo(qsizetype shownRow) const {
    const Row& row = shown(shownRow);
    return QStringView(m_text).mid(row.gsmOffset, row.gsmLength);
}

StatusList::State StatusList::state(qsizetype shownRow) const {
    return shown(shownRow).state;
}

QString StatusList::durum(qsizetype shownRow) const {
    const Row& row = shown(shownRow);
    if (row.state != NoState)
        return stateText(row.state);
    return QStringView(m_text).mid(row.textOffset, row.textLength).toString();
}

QString StatusFilterText(const std::array<bool, StatusList::StateCount>& ticked) {
    QString filter;
    for (int i = 0; i < StatusList::StateCount; ++i) {
        if (!ticked[size_t(i)])
            continue;
        const QString clause =
            QStringLiteral("Durum = '%1'").arg(StatusList::stateText(StatusList::State(i)));
        filter += filter.isEmpty() ? clause : QStringLiteral(" OR ") + clause;
    }
    return filter;
}
