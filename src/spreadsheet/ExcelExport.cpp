#include "ExcelExport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <xlsxwriter.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include "core/AppState.h"
#include "core/Recordset.h"
#include "core/Routines.h"
#include "core/SystemError.h"

Q_LOGGING_CATEGORY(lcExport, "parlex.export")

namespace {

const QString CRLF = QStringLiteral("\r\n");
constexpr qint64 YieldEveryMs = 20;
// Widths in characters: wide enough to read, not a screen wide.
constexpr int DateTimeWidth = 19;
constexpr int MaxColumnWidth = 60;

// Excel counts days from 30 December 1899.
const qint64 ExcelEpochDay = QDate(1899, 12, 30).toJulianDay();

void setStep(ExportResult& result, const QString& step) {
    result.step = step;
    App().gStepError = step;
}

// The workbook's own temporary name in the chosen folder: hidden, and never
// one that exists.
struct TemporaryFile {
    QString path;
    bool keep = false;

    ~TemporaryFile() {
        if (!path.isEmpty() && !keep)
            QFile::remove(path);
    }

    bool create(const QString& target) {
        const QFileInfo info(target);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString candidate = info.absolutePath() + QLatin1Char('/') + QLatin1Char('.') +
                                      info.fileName() + QLatin1Char('.') +
                                      QString::number(::getpid()) + QLatin1Char('-') +
                                      QString::number(attempt) + QStringLiteral(".part");
            const int fd = ::open(QFile::encodeName(candidate).constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                path = candidate;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }
};

struct WorkbookDeleter {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookDeleter>;

// Writes a row's cells straight into the sheet being filled.
class SheetSink final : public ExportRowSink {
public:
    SheetSink(lxw_format* dateFormat, int columns)
        : m_dateFormat(dateFormat)
        , m_widths(static_cast<size_t>(std::max(columns, 0)), 0) {}

    void startSheet(lxw_worksheet* sheet, const QStringList& header) {
        m_sheet = sheet;
        std::fill(m_widths.begin(), m_widths.end(), 0);
        m_row = 0;
        for (int c = 0; c < header.size(); ++c)
            text(c, header.at(c));
    }
    void setRow(lxw_row_t row) { m_row = row; }

    void text(int column, QStringView value) override {
        m_buffer.clear();
        bool plain = true;
        for (const QChar ch : value) {
            const char16_t u = ch.unicode();
            if (u >= 0x80) {
                plain = false;
                break;
            }
            m_buffer.push_back(static_cast<char>(u));
        }
        if (!plain) {
            const QByteArray bytes = value.toUtf8();
            m_buffer.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
        }
        m_buffer.push_back('\0');
        put(column, m_buffer.data(), value.size());
    }

    void utf8(int column, const char* value) override {
        put(column, value, static_cast<qsizetype>(std::strlen(value)));
    }

    void number(int column, double value) override {
        check(worksheet_write_number(m_sheet, m_row, col(column), value, nullptr));
        widen(column, 12);
    }

    void dateTime(int column, const QDateTime& value) override {
        if (!value.isValid())
            return;
        const double serial = static_cast<double>(value.date().toJulianDay() - ExcelEpochDay) +
                              value.time().msecsSinceStartOfDay() / 86'400'000.0;
        check(worksheet_write_number(m_sheet, m_row, col(column), serial, m_dateFormat));
        widen(column, DateTimeWidth);
    }

    void sizeColumns() {
        for (size_t c = 0; c < m_widths.size(); ++c) {
            if (m_widths[c] > 0)
                worksheet_set_column(m_sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                     m_widths[c] + 2, nullptr);
        }
    }

    lxw_error firstError() const { return m_error; }

private:
    static lxw_col_t col(int column) { return static_cast<lxw_col_t>(column); }

    // `value` is NUL-terminated UTF-8. Control characters need nothing: the
    // library writes them the way Excel escapes them.
    void put(int column, const char* value, qsizetype chars) {
        check(worksheet_write_string(m_sheet, m_row, col(column), value, nullptr));
        widen(column, static_cast<int>(std::min<qsizetype>(chars, MaxColumnWidth)));
    }

    void widen(int column, int width) {
        if (column >= 0 && static_cast<size_t>(column) < m_widths.size() &&
            m_widths[static_cast<size_t>(column)] < width)
            m_widths[static_cast<size_t>(column)] = width;
    }

    void check(lxw_error error) {
        if (error != LXW_NO_ERROR && m_error == LXW_NO_ERROR)
            m_error = error;
    }

    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_dateFormat;
    lxw_row_t m_row = 0;
    std::vector<int> m_widths;
    std::string m_buffer;
    lxw_error m_error = LXW_NO_ERROR;
};

QString libraryReason(lxw_error error, int systemError) {
    if (systemError != 0)
        return SystemErrorText(systemError);
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

// --- Replacing the chosen file

namespace {

bool syncPath(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return synced;
}

} // namespace

ReplaceFileFn gReplaceWorkbookFile = ReplaceFileDurably;

bool ReplaceFileDurably(const QString& from, const QString& to, QString* error) {
    // The content on disk before the name points at it: after a crash the
    // name holds the old file or the new one, never a half.
    if (!syncPath(from, O_RDONLY) ||
        ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        *error = SystemErrorText(errno);
        return false;
    }
    syncPath(QFileInfo(to).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}

// --- RecordsetExportSource ------------------------------------------------

RecordsetExportSource::RecordsetExportSource(Recordset& rs)
    : m_rs(rs) {
    m_rs.moveFirst();
}

qint64 RecordsetExportSource::rowCount() const {
    return m_rs.recordCount();
}

int RecordsetExportSource::columnCount() const {
    return m_rs.fieldCount();
}

void RecordsetExportSource::writeRow(qint64 row, ExportRowSink& sink) {
    if (row != m_next)
        m_rs.setAbsolutePosition(static_cast<int>(row + 1));
    m_next = row + 1;
    for (int c = 0; c < m_rs.fieldCount(); ++c) {
        if (m_rs.isNull(c))
            continue;
        const QVariant value = m_rs.value(c);
        switch (m_rs.field(c).type) {
        case FieldType::Integer:
        case FieldType::Double:
            sink.number(c, value.toDouble());
            break;
        case FieldType::DateTime:
            sink.dateTime(c, value.toDateTime());
            break;
        case FieldType::Text:
            sink.text(c, value.toString());
            break;
        }
    }
    m_rs.moveNext();
}

// --- WriteWorkbook --------------------------------------------------------

QString ExportResult::message() const {
    return step + CRLF + QStringLiteral("Sistemin ürettiği hata mesajı : ") + reason;
}

ExportResult WriteWorkbook(ExportSource& source, const QString& fileName,
                           const QStringList& columnNames, const ExportOptions& options) {
    AppState& app = App();
    ExportResult result;
    const auto status = [&options](const QString& text) {
        if (options.status)
            options.status(text);
    };
    const auto fail = [&result](const QString& reason) {
        result.outcome = ExportResult::Outcome::Failed;
        result.reason = reason;
        qCWarning(lcExport).noquote() << result.step << "/" << reason;
        return result;
    };

    const qint64 total = std::max<qint64>(source.rowCount(), 0);
    const int columns = std::max(source.columnCount(), static_cast<int>(columnNames.size()));
    app.gProgressTotal = total;
    app.gProgressDone = 0;
    const qint64 sheetCount = std::max<qint64>(1, (total + RowsPerSheet - 1) / RowsPerSheet);

    // The old file stays until the new one is complete; here we only make
    // sure it can be replaced at all, before any work is done.
    const QFileInfo target(fileName);
    setStep(result, target.exists() ? ExcelStep::DeleteExisting : ExcelStep::HeadersAndSave);
    if (target.isDir())
        return fail(SystemErrorText(EISDIR));
    TemporaryFile temp;
    if (!temp.create(fileName))
        return fail(SystemErrorText(errno));

    setStep(result, ExcelStep::FillSheets);
    const QByteArray tempName = QFile::encodeName(temp.path);
    lxw_workbook_options workbookOptions{};
    workbookOptions.constant_memory = LXW_TRUE;
    workbookOptions.use_zip64 = options.zip64 ? LXW_TRUE : LXW_FALSE;
    errno = 0;
    WorkbookPtr workbook(workbook_new_opt(tempName.constData(), &workbookOptions));
    if (!workbook)
        return fail(libraryReason(LXW_ERROR_MEMORY_MALLOC_FAILED, errno));
    lxw_format* dateFormat = workbook_add_format(workbook.get());
    format_set_num_format(dateFormat, "dd.mm.yyyy hh:mm:ss");

    SheetSink sink(dateFormat, columns);
    try {
        QElapsedTimer sinceCheck;
        sinceCheck.start();
        qint64 row = 0;
        for (qint64 sheet = 1; sheet <= sheetCount; ++sheet) {
            const QString number = QString::number(sheet);
            status(QStringLiteral("Sayfa ") + number +
                   QStringLiteral(" kayıtları oluşturuluyor..."));
            const QByteArray name = (QStringLiteral("Sayfa") + number).toUtf8();
            errno = 0;
            lxw_worksheet* worksheet = workbook_add_worksheet(workbook.get(), name.constData());
            if (!worksheet)
                return fail(libraryReason(LXW_ERROR_CREATING_TMPFILE, errno));
            // Rows go out in order in constant memory: the header first.
            sink.startSheet(worksheet, columnNames);
            const qint64 end = std::min(total, row + RowsPerSheet);
            // Without column names the rows start at the top.
            const lxw_row_t firstRow = columnNames.isEmpty() ? 0 : 1;
            for (lxw_row_t sheetRow = firstRow; row < end; ++row, ++sheetRow) {
                sink.setRow(sheetRow);
                source.writeRow(row, sink);
                ++app.gProgressDone;
                if ((row & 0xff) == 0 && sinceCheck.elapsed() >= YieldEveryMs) {
                    if (options.keepGoing && !options.keepGoing()) {
                        result.outcome = ExportResult::Outcome::Cancelled;
                        return result;
                    }
                    sinceCheck.restart();
                }
            }
            if (sink.firstError() != LXW_NO_ERROR)
                return fail(libraryReason(sink.firstError(), 0));
            status(QStringLiteral("Sayfa ") + number + QStringLiteral(" kaydediliyor..."));
            sink.sizeColumns();
        }
    } catch (const std::exception& e) {
        // The source could not give its rows (a database read failed).
        return fail(ErrorText(e));
    }
    status(QStringLiteral("Sayfa adları oluşturuluyor..."));
    status(QStringLiteral("Sayfa başlık bilgileri ekleniyor..."));

    setStep(result, ExcelStep::HeadersAndSave);
    errno = 0;
    // Closing writes the file and frees the workbook, whatever happens.
    const lxw_error closed = workbook_close(workbook.release());
    if (closed != LXW_NO_ERROR)
        return fail(libraryReason(closed, errno));
    QString why;
    if (!gReplaceWorkbookFile(temp.path, fileName, &why))
        return fail(why);
    temp.keep = true;
    result.outcome = ExportResult::Outcome::Written;
    result.sheets = static_cast<int>(sheetCount);
    return result;
}

// --- The desktop's face ---------------------------------------------------

bool ExportToExcel(ExportSource& source, const QString& fileName, const QStringList& columnNames) {
    UiServices& ui = UserInterface();
    ui.yield();
    ExportOptions options;
    options.keepGoing = [&ui] {
        ui.yield();
        return true;
    };
    options.status = [&ui](const QString& text) {
        SetStatusText(text);
        ui.yield();
    };
    const ExportResult result = WriteWorkbook(source, fileName, columnNames, options);
    if (!result.written()) {
        if (result.outcome == ExportResult::Outcome::Failed)
            ui.error(QStringLiteral("Uyarı"), result.message());
        return false;
    }
    SetStatusText(fileName + QStringLiteral(" dosyası başarıyla oluşturuldu."));
    App().gStepError = ExcelStep::ShowFile;
    // The workbook is written whether or not a program shows it: without
    // one, the one box says where to find it rather than raising an error.
    QString done = QStringLiteral("Excel Dosyasına Veri Aktarımı Tamamlanmıştır");
    if (!ui.openWithDesktop(fileName))
        done += QStringLiteral("\r\nDosyayı açacak bir program bulunamadı. Dosya şuraya "
                               "kaydedildi: ") +
                QDir::toNativeSeparators(fileName);
    ui.information(QStringLiteral("Dide Vuvuda Vivadevedu"), done);
    return true;
}

QString GetExcelFileToSave() {
    QString name = UserInterface().getSaveFileName(
        QStringLiteral("Save As"), QDir::homePath(),
        QStringLiteral("Microsoft Excel Dosyaları (*.xlsx)|*.xlsx"));
    if (!name.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".xlsx");
    return name;
}
