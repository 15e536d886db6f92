#pragma once

#include <functional>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "spreadsheet/ExcelExport.h"
#include "textsource/SchemaIni.h"

class Database;
class RecordSource;

// The numbers that refused commercial messages (tbl_ret), kept in the form
// NormalizeGsm gives: ten digits starting with 5. Every way in (typed in
// the window, a file, the command line) stores a number once, and refuses
// one that is not a mobile number.

// Where a number came from, as the list keeps it.
namespace OptOutSource {
inline const QString Typed = QStringLiteral("elle");
inline const QString File = QStringLiteral("dosya");
inline const QString CommandLine = QStringLiteral("komut");
} // namespace OptOutSource

// A listed number in four bytes: the ten digits less 5000000000, so a list
// of a million costs 4 MB in memory and sorts as its texts do.
using OptOutNumber = quint32;
OptOutNumber PackOptOutNumber(QStringView normalised);
QString OptOutNumberText(OptOutNumber number);

// Numbers typed by the user, each in any written form.
struct OptOutChange {
    QStringList done;    // normalised: added, or removed
    QStringList already; // normalised: already listed (add), or not listed (remove)
    QStringList invalid; // as typed
    // One line per kind, in the user's words.
    QString message(bool adding) const;
};
OptOutChange AddOptOutNumbers(const QStringList& typed, const QString& source,
                              const QString& note = QString());
OptOutChange RemoveOptOutNumbers(const QStringList& typed);

qint64 OptOutCount();
// The whole list, sorted.
std::vector<OptOutNumber> LoadOptOutNumbers(Database& db);

// What a search box typed matches: a whole number in any written form
// matches that number; digits written as a number begins ("0532", "+90 532")
// match the numbers that begin so; other digits anywhere in the number.
class OptOutSearch {
public:
    explicit OptOutSearch(const QString& typed);
    bool isEmpty() const { return m_kind == Kind::All; }
    // The numbers of the sorted list `all` that match, in order.
    std::vector<OptOutNumber> filter(const std::vector<OptOutNumber>& all) const;

private:
    enum class Kind { All, None, Prefix, Anywhere };
    Kind m_kind = Kind::All;
    QByteArray m_digits;
};

// A file of refusals: a data file read with its layout, or a workbook's
// sheet; the numbers' column, and optionally a status column of which only
// rows saying "RET" are taken (as an İYS export lists consents and
// refusals together).
struct OptOutImport {
    QString path;
    TextFormat format;
    int sheet = 0;
    QString gsmColumn;
    QString statusColumn;
    QDateTime when; // the day the numbers are added; invalid: now
};

struct OptOutImportResult {
    enum class Outcome { Imported, Failed, Cancelled };
    Outcome outcome = Outcome::Failed;
    qint64 rows = 0;
    qint64 added = 0;
    qint64 already = 0;
    qint64 invalid = 0;    // rows whose number is not a mobile number
    qint64 notRefused = 0; // rows the status column does not mark RET
    QString error;         // why it failed

    bool imported() const { return outcome == Outcome::Imported; }
    QString message() const;
};

// Adds the file's numbers in one transaction: a failure or a stop (the
// callback, asked every few thousand rows with the rows read so far,
// returns false) leaves the list exactly as it was. Runs on `db`, which
// may be a connection of another thread's own.
OptOutImportResult ImportOptOutFile(Database& db, const OptOutImport& import,
                                    const std::function<bool(qint64)>& keepGoing = {});
// The same from a table already open (the command line opens it as every
// job does); `note` is kept with each number.
OptOutImportResult ImportOptOutRecords(Database& db, RecordSource& reader,
                                       const OptOutImport& import, const QString& note,
                                       const std::function<bool(qint64)>& keepGoing = {});

// The list for a workbook, by number: the number and source as texts, the
// day added as a date-time. Read a page at a time from the shared
// connection, so a list of a million costs no more memory than a short one.
class OptOutExportSource final : public ExportSource {
public:
    static constexpr int PageRows = 5000;

    OptOutExportSource();
    qint64 rowCount() const override { return m_count; }
    int columnCount() const override { return 4; }
    void writeRow(qint64 row, ExportRowSink& sink) override;

    static QStringList columnNames();

private:
    qint64 m_count = 0;
    QString m_after;
    std::vector<std::vector<QVariant>> m_page;
    size_t m_next = 0;
};
