// The older Excel format (.xls, BIFF) through libfreexl, which gives each
// cell's value but not its number format: numbers show as General does,
// dates as the dates freexl recognises.
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <freexl.h>

#include "CellText.h"
#include "SheetRows.h"

namespace {

QString problemText(int code) {
    switch (code) {
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("içinde çalışma kitabı yok");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("dosya bilerek bozulmuş görünüyor");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("bellek yetmedi");
    default:
        return QStringLiteral("bozuk (freexl %1)").arg(code);
    }
}

class XlsRows : public SheetRows {
public:
    XlsRows(const QString& path, const QString& sheet, const void* handle, unsigned rows,
            unsigned short columns)
        : SheetRows(path, sheet)
        , m_handle(handle)
        , m_rows(rows)
        , m_columns(columns) {}

    Status read(std::vector<QString>& cells) override {
        while (m_row < m_rows) {
            const unsigned row = m_row++;
            cells.clear();
            for (unsigned short column = 0; column < m_columns; ++column) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(m_handle, row, column, &value) != FREEXL_OK)
                    return fail(QStringLiteral("%1: \"%2\" sayfası bozuk").arg(m_path, m_sheet));
                QString text = cellText(value);
                if (text.isEmpty())
                    continue;
                if (!SheetRows::column(column))
                    return Status::Error;
                cells.resize(size_t(column) + 1);
                cells[column] = std::move(text);
            }
            if (cells.empty()) {
                if (!emptyRows(1))
                    return Status::Error;
                continue;
            }
            if (!valueRow(qint64(row) + 1))
                return Status::Error;
            return Status::Row;
        }
        return Status::End;
    }

private:
    static QString cellText(const FreeXL_CellValue& value) {
        using Kind = NumberFormat::Kind;
        switch (value.type) {
        case FREEXL_CELL_INT:
            return QString::number(value.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return NumberCellText(value.value.double_value, {});
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return QString::fromUtf8(value.value.text_value);
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: {
            const QString text = QString::fromUtf8(value.value.text_value);
            const NumberFormat format{value.type == FREEXL_CELL_DATE       ? Kind::Date
                                      : value.type == FREEXL_CELL_DATETIME ? Kind::DateTime
                                                                           : Kind::Time,
                                      0, false, true};
            const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
            const QTime time = QTime::fromString(text.right(8), Qt::ISODate);
            if ((format.kind != Kind::Time && !date.isValid()) ||
                (format.kind != Kind::Date && !time.isValid()))
                return text;
            return DateTimeCellText(date, time, format);
        }
        default:
            return QString();
        }
    }

    const void* m_handle;
    unsigned m_rows;
    unsigned short m_columns;
    unsigned m_row = 0;
};

class XlsFile : public WorkbookFile {
public:
    XlsFile(const QString& path, const void* handle)
        : m_path(path)
        , m_handle(handle) {}
    ~XlsFile() override { freexl_close(m_handle); }
    XlsFile(const XlsFile&) = delete;
    XlsFile& operator=(const XlsFile&) = delete;

    QStringList sheetNames() override {
        QStringList names;
        unsigned count = 0;
        if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
            return fail();
        for (unsigned i = 0; i < count && i < 0xffff; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(m_handle, static_cast<unsigned short>(i), &name) !=
                FREEXL_OK)
                return fail();
            names << QString::fromUtf8(name);
        }
        return names;
    }

    std::unique_ptr<SheetRows> openSheet(int index) override {
        const QStringList names = sheetNames();
        if (index < 0 || index >= names.size())
            return nullptr;
        unsigned rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(index)) !=
                FREEXL_OK ||
            freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK) {
            fail();
            return nullptr;
        }
        return std::make_unique<XlsRows>(m_path, names[index], m_handle, rows, columns);
    }

private:
    QStringList fail() {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1: çalışma kitabı bozuk").arg(m_path);
        return {};
    }

    QString m_path;
    const void* m_handle;
};

} // namespace

bool IsXlsFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) &&
           file.read(8) == QByteArray::fromHex("d0cf11e0a1b11ae1");
}

std::unique_ptr<WorkbookFile> OpenXls(const QString& path, QString& error) {
    // freexl holds the whole workbook in memory: a BIFF file of this size is
    // far beyond any customer list (the format itself stops at 65,536 rows).
    constexpr qint64 MaxBytes = qint64(256) << 20;
    if (QFileInfo(path).size() > MaxBytes) {
        error = QStringLiteral("%1: .xls dosyası çok büyük (en çok %2 MB)")
                    .arg(path)
                    .arg(MaxBytes >> 20);
        return nullptr;
    }
    const void* handle = nullptr;
    const int code = freexl_open(QFile::encodeName(path).constData(), &handle);
    if (code != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        error =
            QStringLiteral("%1: .xls çalışma kitabı okunamadı: %2").arg(path, problemText(code));
        return nullptr;
    }
    unsigned password = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(handle);
        error = QStringLiteral("%1: .xls çalışma kitabı parolalı; parolasız kaydedin").arg(path);
        return nullptr;
    }
    return std::make_unique<XlsFile>(path, handle);
}
