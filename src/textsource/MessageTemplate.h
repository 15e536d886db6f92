#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringView>

#include "MessageCost.h"
#include "TextRecord.h"

// Placeholders are "[##" + column name + "##]"; the markers are matched
// exactly, the column name without regard to case (ColumnNamesMatch).
//
// Filling: text outside placeholders is copied as it is; a placeholder gives
// its column's value as the file wrote it (an amount of "150,50" is not
// "150,5", a code of "007" not "7"; the typed value only decides the GSM
// number), and nothing when the column is missing or the value is Null.
// A template without placeholders gives itself.
//
// Malformed templates: a placeholder is an opening marker and the first
// closing marker after it. So a closing marker with no opening one before
// it is ordinary text, and an opening marker with no closing one after it
// is copied with everything that follows it ("Sayın [##ad" stays as it is).
QString FillTemplate(QStringView templateText, const TextRecord& row);

// A template read once and filled for many rows, with the same result as
// FillTemplate; the column of each placeholder is looked up once per file.
// An `ending` (a commercial package's refusal line) follows every filled
// message after a blank, or alone when the message is empty; it is text,
// never placeholders, and counts in the message's length like the rest.
class MessageTemplate {
public:
    explicit MessageTemplate(QStringView templateText, QStringView ending = {});

    QString fill(const TextRecord& row) const;
    // The same into `out`, replacing what it held; its buffer is reused.
    void fillInto(const TextRecord& row, QString& out) const;
    const QString& text() const { return m_text; }

private:
    struct Piece {
        qsizetype from = 0; // in m_text
        qsizetype length = 0;
        bool placeholder = false; // the piece is a column name
    };

    QString m_text;
    QString m_ending;
    std::vector<Piece> m_pieces;
    qsizetype m_literalLength = 0;
    // Columns of the placeholders, for the column list they were found in.
    mutable std::shared_ptr<const TextColumns> m_columnsSeen;
    mutable std::vector<int> m_columnOf;
};

// The most characters a filled message may have, counted as text characters
// (a Turkish letter is one) before the message is cleaned for sending.
constexpr int MessageLimit = 160;

enum class RowOutcome {
    Queued,          // usable number, 160 characters or fewer
    NoNumber,        // h01: no usable number, message fits
    TooLong,         // h02: usable number, message longer than 160
    NoNumberTooLong, // h03: neither
    // Checks of the package after those of the row (NumberScreen):
    OptedOut, // h04: a commercial package, the number is on the opt-out list
    Repeated, // h05: one message per number, the number was queued before
};

// `normalizedNumber` is NormalizeGsm of the row's number ("" when unusable).
// The length is that of `filledMessage` as filled, line breaks and Turkish
// letters included; a character outside the basic plane counts two, as in
// the 160-character field that holds the queued message.
RowOutcome ClassifyRow(QStringView filledMessage, QStringView normalizedNumber);

// "queued", "h01", ... "h05".
QString RowOutcomeName(RowOutcome outcome);

// NormalizeGsm of a value as the program shows it, into `out` (its buffer
// is reused); "" for a Null value or a column that is not there (index -1).
void GsmNumberInto(const TextRecord& row, int gsmColumn, QString& out);

// One row through template, number and test, as a sender handles it.
struct PreparedRow {
    RowOutcome outcome = RowOutcome::NoNumber;
    QString number;  // normalised, "" when unusable
    QString filled;  // the filled message
    QString message; // CleanMessageText(filled) for a queued row, else ""
    int parts = 0;   // SMS the queued message is billed as, else 0
};
PreparedRow PrepareRow(const MessageTemplate& messageTemplate, const TextRecord& row, int gsmColumn,
                       const CostSettings& cost = {});

// PrepareRow for every row of a file, with the buffers kept from row to row.
class NumberScreen;
class RowTester {
public:
    RowTester(const MessageTemplate& messageTemplate, int gsmColumn)
        : m_template(messageTemplate)
        , m_gsmColumn(gsmColumn) {}

    // Counts each queued row's SMS from now on (senders do; a tester that
    // only fills rows need not). With oneSmsOnly a row dearer than one SMS
    // goes where an over-long one goes (h02, or h03 without a number).
    void countWith(const CostSettings& cost) {
        m_cost = cost;
        m_counting = true;
    }
    // Cleans each queued row as countWith does without counting its SMS:
    // only to measure what the counting costs.
    void cleanWithoutCounting() {
        m_counting = true;
        m_countParts = false;
    }

    // A row that would be queued goes through `screen` too (it must outlive
    // the tester); its count is then 0 unless still queued.
    void screenWith(NumberScreen& screen) { m_screen = &screen; }

    RowOutcome test(const TextRecord& row);
    // Of the row tested last.
    const QString& filled() const { return m_filled; }
    const QString& number() const { return m_number; }
    // For a queued row of a counting tester: the message as it goes out,
    // and its SMS.
    const QString& cleaned() const { return m_cleaned; }
    int parts() const { return m_parts; }

private:
    const MessageTemplate& m_template;
    int m_gsmColumn;
    CostSettings m_cost;
    bool m_counting = false;
    bool m_countParts = true;
    NumberScreen* m_screen = nullptr;
    QString m_filled;
    QString m_number;
    QString m_cleaned;
    int m_parts = 0;
};
PreparedRow PrepareRow(QStringView templateText, const TextRecord& row, int gsmColumn);

// The counters under the message boxes: "37/160" in the send wizard,
// "37 / 160" in the rule editor. They count the template as typed.
QString WizardCounterText(QStringView message);
QString EditorCounterText(QStringView message);

// The template with WithCheaperCharacters applied to its text outside the
// placeholders: a column's name stays as the file writes it, or the column
// would no longer be found.
QString TemplateWithCheaperCharacters(QStringView templateText);

// The template with each placeholder's markers dropped and its column name
// left as typed: what the line under a message box measures, since the
// markers never go out.
QString TemplateWithoutMarkers(QStringView templateText);
