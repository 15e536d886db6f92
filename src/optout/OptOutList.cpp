#include "OptOutList.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include <QFileInfo>

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Database.h"
#include "core/DbRoutines.h"
#include "core/PreparedStatement.h"
#include "core/RegionalFormat.h"
#include "core/Routines.h"
#include "spreadsheet/TableFile.h"
#include "textsource/MessageTemplate.h"

namespace {

constexpr qint64 Lowest = 5000000000LL;
constexpr qint64 ProgressRows = 4096;

const QString InsertSql =
    QStringLiteral("INSERT OR IGNORE INTO tbl_ret (numara,tarih,kaynak,aciklama) VALUES (?,?,?,?)");

QString isoText(const QDateTime& when) {
    return IsoDateTimeText(when.isValid() ? when : Clock::now());
}

// The ten digits of a packed number, into `out`.
void digitsOf(OptOutNumber number, char out[10]) {
    qint64 value = Lowest + number;
    for (int i = 9; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
}

} // namespace

OptOutNumber PackOptOutNumber(QStringView normalised) {
    qint64 value = 0;
    for (const QChar c : normalised)
        value = value * 10 + (c.unicode() - u'0');
    return static_cast<OptOutNumber>(value - Lowest);
}

QString OptOutNumberText(OptOutNumber number) {
    char digits[10];
    digitsOf(number, digits);
    return QString::fromLatin1(digits, 10);
}

QString OptOutChange::message(bool adding) const {
    QStringList lines;
    if (!done.isEmpty())
        lines << (adding ? QStringLiteral("Ret listesine eklendi : ")
                         : QStringLiteral("Ret listesinden silindi : ")) +
                     done.join(QStringLiteral(", "));
    if (!already.isEmpty())
        lines << (adding ? QStringLiteral("Zaten ret listesinde : ")
                         : QStringLiteral("Ret listesinde yok : ")) +
                     already.join(QStringLiteral(", "));
    if (!invalid.isEmpty())
        lines << QStringLiteral("Geçerli bir GSM numarası değil : ") +
                     invalid.join(QStringLiteral(", "));
    return lines.join(QStringLiteral("\r\n"));
}

OptOutChange AddOptOutNumbers(const QStringList& typed, const QString& source,
                              const QString& note) {
    OpenDatabase();
    Database& db = App().gConnection;
    OptOutChange change;
    Transaction transaction(db);
    PreparedStatement insert(db, InsertSql);
    const QString when = isoText({});
    for (const QString& text : typed) {
        const QString number = NormalizeGsm(text);
        if (number.isEmpty()) {
            change.invalid << text;
            continue;
        }
        insert.bind(1, number);
        insert.bind(2, when);
        insert.bind(3, source);
        insert.bind(4, note);
        insert.step();
        (insert.changes() > 0 ? change.done : change.already) << number;
        insert.reset();
    }
    transaction.commit();
    return change;
}

OptOutChange RemoveOptOutNumbers(const QStringList& typed) {
    OpenDatabase();
    Database& db = App().gConnection;
    OptOutChange change;
    Transaction transaction(db);
    PreparedStatement remove(db, QStringLiteral("DELETE FROM tbl_ret WHERE numara = ?"));
    for (const QString& text : typed) {
        const QString number = NormalizeGsm(text);
        if (number.isEmpty()) {
            change.invalid << text;
            continue;
        }
        remove.bind(1, number);
        remove.step();
        (remove.changes() > 0 ? change.done : change.already) << number;
        remove.reset();
    }
    transaction.commit();
    return change;
}

qint64 OptOutCount() {
    return OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM tbl_ret")).value(0).toLongLong();
}

std::vector<OptOutNumber> LoadOptOutNumbers(Database& db) {
    std::vector<OptOutNumber> numbers;
    PreparedStatement select(db, QStringLiteral("SELECT numara FROM tbl_ret ORDER BY numara"));
    QString number;
    while (select.step()) {
        number = select.text(0);
        // Only the program writes the list, but a row put there by hand that
        // is no number must not turn into someone else's.
        if (NormalizeGsm(number) == number)
            numbers.push_back(PackOptOutNumber(number));
    }
    return numbers;
}

OptOutSearch::OptOutSearch(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return;
    if (const QString whole = NormalizeGsm(text); !whole.isEmpty()) {
        m_kind = Kind::Prefix;
        m_digits = whole.toLatin1();
        return;
    }
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128)
            m_digits += char(c.unicode());
        else if (!QStringView(u" +()-.").contains(c)) {
            m_kind = Kind::None;
            return;
        }
    }
    // "+90 53", "0090 53" and "053" are how a number begins; the country
    // code and the leading zero are not kept with it.
    m_kind = Kind::Anywhere;
    if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('0'))) {
        m_kind = Kind::Prefix;
        if (m_digits.startsWith("0090"))
            m_digits.remove(0, 4);
        else if (text.startsWith(QLatin1Char('+')) && m_digits.startsWith("90"))
            m_digits.remove(0, 2);
        else if (m_digits.startsWith('0'))
            m_digits.remove(0, 1);
    }
    if (m_digits.isEmpty() && m_kind == Kind::Anywhere)
        m_kind = Kind::None;
}

std::vector<OptOutNumber> OptOutSearch::filter(const std::vector<OptOutNumber>& all) const {
    switch (m_kind) {
    case Kind::All:
        return all;
    case Kind::None:
        return {};
    case Kind::Prefix: {
        if (m_digits.isEmpty())
            return all;
        if (m_digits.front() != '5' || m_digits.size() > 10)
            return {};
        // The numbers that begin with the digits lie side by side.
        qint64 first = m_digits.toLongLong();
        qint64 step = 1;
        for (qsizetype i = m_digits.size(); i < 10; ++i) {
            first *= 10;
            step *= 10;
        }
        const auto from =
            std::lower_bound(all.begin(), all.end(), static_cast<OptOutNumber>(first - Lowest));
        const auto to = std::lower_bound(from, all.end(),
                                         static_cast<OptOutNumber>(first + step - 1 - Lowest) + 1);
        return {from, to};
    }
    case Kind::Anywhere: {
        std::vector<OptOutNumber> found;
        const std::string_view wanted(m_digits.constData(), size_t(m_digits.size()));
        char digits[10];
        for (const OptOutNumber number : all) {
            digitsOf(number, digits);
            if (std::string_view(digits, 10).find(wanted) != std::string_view::npos)
                found.push_back(number);
        }
        return found;
    }
    }
    return {};
}

QString OptOutImportResult::message() const {
    switch (outcome) {
    case Outcome::Cancelled:
        return QStringLiteral("İçe aktarma durduruldu; ret listesi değişmedi.");
    case Outcome::Failed:
        return QStringLiteral("Dosya içe aktarılamadı; ret listesi değişmedi.\r\n") + error;
    case Outcome::Imported:
        break;
    }
    QString text = QStringLiteral("%1 numara eklendi, %2 numara zaten listedeydi, %3 satırdaki "
                                  "numara geçersiz")
                       .arg(added)
                       .arg(already)
                       .arg(invalid);
    if (notRefused > 0)
        text += QStringLiteral(", %1 satır RET durumunda değildi").arg(notRefused);
    return text + QLatin1Char('.');
}

OptOutImportResult ImportOptOutFile(Database& db, const OptOutImport& import,
                                    const std::function<bool(qint64)>& keepGoing) {
    TableFile reader;
    if (!reader.open(import.path, import.format, import.sheet)) {
        OptOutImportResult failed;
        failed.error = reader.errorString();
        return failed;
    }
    return ImportOptOutRecords(db, reader, import, QFileInfo(import.path).fileName(), keepGoing);
}

OptOutImportResult ImportOptOutRecords(Database& db, RecordSource& reader,
                                       const OptOutImport& import, const QString& note,
                                       const std::function<bool(qint64)>& keepGoing) {
    OptOutImportResult result;
    const auto stopped = [&](qint64 done) {
        return keepGoing && !keepGoing(done);
    };
    const auto failed = [&](const QString& why) {
        result.outcome = OptOutImportResult::Outcome::Failed;
        result.error = why;
        return result;
    };

    // The whole file is read before the list is touched: a file that breaks
    // off halfway adds nothing, and the list is locked only while written.
    const int gsmColumn = reader.columnIndex(import.gsmColumn);
    if (gsmColumn < 0)
        return failed(QStringLiteral("Dosyada %1 alanı yok; alanları : %2")
                          .arg(import.gsmColumn, reader.columnNames().join(QStringLiteral(", "))));
    int statusColumn = -1;
    if (!import.statusColumn.isEmpty()) {
        statusColumn = reader.columnIndex(import.statusColumn);
        if (statusColumn < 0)
            return failed(
                QStringLiteral("Dosyada %1 alanı yok; alanları : %2")
                    .arg(import.statusColumn, reader.columnNames().join(QStringLiteral(", "))));
    }

    std::vector<OptOutNumber> numbers;
    QString number;
    QString status;
    while (reader.next()) {
        const TextRecord& record = reader.record();
        if (++result.rows % ProgressRows == 0 && stopped(result.rows)) {
            result.outcome = OptOutImportResult::Outcome::Cancelled;
            return result;
        }
        if (statusColumn >= 0) {
            status.clear();
            record.appendWrittenText(statusColumn, status);
            if (status.trimmed().compare(QLatin1String("RET"), Qt::CaseInsensitive) != 0) {
                ++result.notRefused;
                continue;
            }
        }
        GsmNumberInto(record, gsmColumn, number);
        if (number.isEmpty()) {
            ++result.invalid;
            continue;
        }
        numbers.push_back(PackOptOutNumber(number));
    }
    if (reader.hasError())
        return failed(reader.errorString());

    // In order the index takes them fastest; a number twice in the file is
    // already listed the second time.
    std::sort(numbers.begin(), numbers.end());
    const auto unique = std::unique(numbers.begin(), numbers.end());
    result.already = numbers.end() - unique;
    numbers.erase(unique, numbers.end());

    try {
        Transaction transaction(db);
        PreparedStatement insert(db, InsertSql);
        const QString when = isoText(import.when);
        qint64 written = 0;
        for (const OptOutNumber n : numbers) {
            insert.bind(1, OptOutNumberText(n));
            insert.bind(2, when);
            insert.bind(3, OptOutSource::File);
            insert.bind(4, note);
            insert.step();
            if (insert.changes() > 0)
                ++result.added;
            else
                ++result.already;
            insert.reset();
            if (++written % ProgressRows == 0 && stopped(result.rows)) {
                result.outcome = OptOutImportResult::Outcome::Cancelled;
                return result; // the transaction rolls back
            }
        }
        transaction.commit();
    } catch (const DatabaseError& e) {
        result.added = 0;
        return failed(e.message());
    }
    result.outcome = OptOutImportResult::Outcome::Imported;
    return result;
}

OptOutExportSource::OptOutExportSource() {
    m_count = OptOutCount();
}

QStringList OptOutExportSource::columnNames() {
    return {QStringLiteral("Numara"), QStringLiteral("Tarih"), QStringLiteral("Kaynak"),
            QStringLiteral("Açıklama")};
}

void OptOutExportSource::writeRow(qint64, ExportRowSink& sink) {
    if (m_next >= m_page.size()) {
        // By key, not by offset: each page costs the same however deep it is.
        Recordset rs = OpenRecordset(
            QStringLiteral(
                "SELECT numara, tarih, kaynak, aciklama FROM tbl_ret WHERE numara > '%1' "
                "ORDER BY numara LIMIT %2")
                .arg(SqlQuote(m_after))
                .arg(PageRows));
        m_page.clear();
        m_next = 0;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            m_page.push_back({rs.value(0), rs.value(1), rs.value(2), rs.value(3)});
        // Numbers removed meanwhile: their rows stay empty.
        if (m_page.empty())
            return;
    }
    const std::vector<QVariant>& row = m_page[m_next++];
    m_after = row[0].toString();
    sink.text(0, m_after);
    if (!row[1].isNull())
        sink.dateTime(1, row[1].toDateTime());
    sink.text(2, row[2].toString());
    sink.text(3, row[3].toString());
}
