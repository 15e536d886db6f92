#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QString>
#include <QStringView>

// The rows a delivery report fills: GsmNo and Durum, as the reports window
// shows and exports them. A package of a million messages gives a million
// rows, so a row is a few integers into one shared text buffer rather than a
// recordset of variant cells; the status of a report row is one of the four
// states, kept as a number and shown as its text.
//
// The GSM-number report fills the same two columns with a package
// identifier and a date text (free text in Durum, no state).
class StatusList {
public:
    // The four states, in the order of the filter boxes.
    enum State : std::uint8_t {
        Waiting = 0,
        Delivered = 1,
        TimedOut = 2,
        Rejected = 3,
        NoState = 255
    };
    static constexpr int StateCount = 4;

    // "Beklemede", "İletildi", "Zaman Aşımı", "Reddedildi".
    static QString stateText(State state);

    // Appends one report row.
    void append(QStringView gsmNo, State state);
    // Appends a row whose Durum is free text (the GSM-number report).
    void append(QStringView gsmNo, QStringView text);
    void reserve(qsizetype rows, qsizetype textChars);

    // A report's rows can point into the reply itself rather than copy it:
    // an empty list takes `text` (shared, not copied) as its text, and
    // appendIn() adds rows whose GsmNo is a piece of it.
    void shareText(const QString& text);
    void appendIn(qsizetype offset, qsizetype length, State state) {
        m_rows.push_back(Row{std::uint32_t(offset), 0, std::uint16_t(length), 0, state});
        if (m_filtered && passes(m_rows.back()))
            m_view.push_back(std::uint32_t(m_rows.size() - 1));
    }
    void clear();

    qsizetype textSize() const { return m_text.size(); }
    // Every row, whatever the filter.
    qsizetype totalCount() const { return qsizetype(m_rows.size()); }

    // Rows shown: all of them, or those the filter lets through, in order.
    qsizetype rowCount() const;
    bool isEmpty() const { return rowCount() == 0; }
    QStringView gsmNo(qsizetype shownRow) const;
    QString durum(qsizetype shownRow) const;
    // The state of a shown row; NoState for a free-text row.
    State state(qsizetype shownRow) const;

    // The status filter of the four boxes (Beklemede, İletildi, Zaman Aşımı,
    // Reddedildi). No box ticked, like every box ticked, shows every row; a
    // free-text row is shown only then. Rows appended later are filtered
    // as they come.
    void setFilter(const std::array<bool, StateCount>& ticked);
    bool isFiltered() const { return m_filtered; }

private:
    struct Row {
        std::uint32_t gsmOffset;
        std::uint32_t textOffset; // free text only
        std::uint16_t gsmLength;
        std::uint16_t textLength;
        State state;
    };
    const Row& shown(qsizetype shownRow) const;
    bool passes(const Row& row) const;

    QString m_text;
    std::vector<Row> m_rows;
    bool m_filtered = false;
    std::array<bool, StateCount> m_pass{};
    std::vector<std::uint32_t> m_view; // indices of shown rows while filtered
};

// The filter text the four boxes make, clause by clause: "Durum = 'Beklemede'
// OR Durum = 'İletildi' ..."; empty when no box is ticked.
QString StatusFilterText(const std::array<bool, StatusList::StateCount>& ticked);
