// Office Open XML workbooks (.xlsx).
#include <limits>

#include <QHash>

#include "CellText.h"
#include "SheetRows.h"
#include "Utf8XmlPart.h"
#include "ZipPart.h"

namespace {

using Token = QXmlStreamReader::TokenType;

struct Sheet {
    QString name;
    QString part;
};

// The shared parts every sheet reads through.
struct Book {
    std::unique_ptr<ZipArchive> zip;
    std::vector<QString> strings;
    std::vector<NumberFormat> styles; // by a cell's s
    bool date1904 = false;
};

// "worksheets/sheet1.xml" beside xl/workbook.xml, or "/xl/..." from the root.
QString partName(QStringView target) {
    QStringList parts;
    if (!target.startsWith(u'/'))
        parts << QStringLiteral("xl");
    for (const QStringView piece : target.split(u'/', Qt::SkipEmptyParts)) {
        if (piece == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (piece != u".") {
            parts << piece.toString();
        }
    }
    return parts.join(u'/');
}

bool readWorkbook(ZipArchive& zip, std::vector<Sheet>& sheets, bool& date1904,
                  QString& sharedStrings, QString& styles, QString& error) {
    QHash<QString, QString> ids; // r:id to sheet part
    {
        XmlPart rels;
        if (!rels.open(zip, QStringLiteral("xl/_rels/workbook.xml.rels"))) {
            error = rels.errorString();
            return false;
        }
        for (Token token; (token = rels.next()) != Token::EndDocument;) {
            if (token == Token::Invalid) {
                error = rels.errorString();
                return false;
            }
            if (token != Token::StartElement || rels.xml().name() != u"Relationship")
                continue;
            const QXmlStreamAttributes attributes = rels.xml().attributes();
            const QStringView type = AttributeValue(attributes, u"Type");
            const QString target = partName(AttributeValue(attributes, u"Target"));
            if (type.endsWith(u"/sharedStrings"))
                sharedStrings = target;
            else if (type.endsWith(u"/styles"))
                styles = target;
            ids.insert(AttributeValue(attributes, u"Id").toString(), target);
        }
    }
    XmlPart workbook;
    if (!workbook.open(zip, QStringLiteral("xl/workbook.xml"))) {
        error = workbook.errorString();
        return false;
    }
    for (Token token; (token = workbook.next()) != Token::EndDocument;) {
        if (token == Token::Invalid) {
            error = workbook.errorString();
            return false;
        }
        if (token != Token::StartElement)
            continue;
        const QXmlStreamAttributes attributes = workbook.xml().attributes();
        if (workbook.xml().name() == u"workbookPr") {
            const QStringView value = AttributeValue(attributes, u"date1904");
            date1904 = value == u"1" || value == u"true";
        } else if (workbook.xml().name() == u"sheet") {
            const QString id = AttributeValue(attributes, u"id").toString();
            sheets.push_back({AttributeValue(attributes, u"name").toString(), ids.value(id)});
        }
    }
    return true;
}

// Read as raw UTF-8: a list of a million rows can hold a million strings.
bool readSharedStrings(ZipArchive& zip, const QString& part, std::vector<QString>& strings,
                       QString& error) {
    using Scanned = Utf8XmlPart::Token;
    Utf8XmlPart xml;
    if (!xml.open(zip, part)) {
        error = xml.errorString();
        return false;
    }
    bool inItem = false, inText = false;
    QByteArray text;
    for (Scanned token; (token = xml.next()) != Scanned::EndDocument;) {
        switch (token) {
        case Scanned::Invalid:
            error = xml.errorString();
            return false;
        case Scanned::StartElement:
            if (xml.name() == "si") {
                inItem = true;
                text.resize(0);
            } else if (inItem && xml.name() == "rPh") {
                // The reading aid above East Asian text, not the text.
                if (!xml.skipElement()) {
                    error = xml.errorString();
                    return false;
                }
            } else if (inItem && xml.name() == "t") {
                inText = true;
            }
            break;
        case Scanned::EndElement:
            if (xml.name() == "si") {
                strings.push_back(QString::fromUtf8(text));
                inItem = false;
            } else if (xml.name() == "t") {
                inText = false;
            }
            break;
        case Scanned::Text:
            if (inText)
                text += xml.text();
            break;
        case Scanned::EndDocument:
            break;
        }
    }
    return true;
}

bool readStyles(ZipArchive& zip, const QString& part, std::vector<NumberFormat>& styles,
                QString& error) {
    XmlPart xml;
    if (!xml.open(zip, part)) {
        error = xml.errorString();
        return false;
    }
    QHash<int, NumberFormat> custom;
    bool inCellXfs = false;
    for (Token token; (token = xml.next()) != Token::EndDocument;) {
        if (token == Token::Invalid) {
            error = xml.errorString();
            return false;
        }
        const QStringView name = xml.xml().name();
        if (token == Token::EndElement && name == u"cellXfs")
            inCellXfs = false;
        if (token != Token::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.xml().attributes();
        if (name == u"numFmt") {
            custom.insert(AttributeValue(attributes, u"numFmtId").toInt(),
                          NumberFormatFromCode(AttributeValue(attributes, u"formatCode")));
        } else if (name == u"cellXfs") {
            inCellXfs = true;
        } else if (inCellXfs && name == u"xf") {
            const int id = AttributeValue(attributes, u"numFmtId").toInt();
            styles.push_back(custom.contains(id) ? custom.value(id) : BuiltInNumberFormat(id));
            if (!xml.skipElement()) {
                error = xml.errorString();
                return false;
            }
        }
    }
    return true;
}

// Plain digits as a whole number, read without the general parser; false
// for anything else, which the general parser is left to read.
bool plainDigits(QByteArrayView text, qint64& number) {
    if (text.isEmpty() || text.size() > 18)
        return false;
    number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    return true;
}

// How a cell keeps its value (its t attribute).
enum class CellType { Number, Shared, Boolean, Text, IsoDate };

CellType cellType(QByteArrayView type) {
    if (type == "s")
        return CellType::Shared;
    if (type == "b")
        return CellType::Boolean;
    if (type == "str" || type == "inlineStr" || type == "e")
        return CellType::Text;
    if (type == "d") // an ISO date, which few programs write
        return CellType::IsoDate;
    return CellType::Number;
}

// 0-based column of a reference such as "AB12"; -1 without letters.
qint64 columnOf(QStringView reference) {
    qint64 column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && i < 4; ++i) {
        const char16_t c = reference[i].toUpper().unicode();
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c - u'A' + 1);
    }
    return i == 0 ? -1 : column - 1;
}

qint64 columnOf(QByteArrayView reference) {
    qint64 column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && i < 4; ++i) {
        const char c = reference[i];
        if (uchar(c) >= 0x80) // a few other letters are upper-cased into A-Z ("ı" to "I")
            return columnOf(QString::fromUtf8(reference));
        const char upper = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        if (upper < 'A' || upper > 'Z')
            break;
        column = column * 26 + (upper - 'A' + 1);
    }
    return i == 0 ? -1 : column - 1;
}

// The sheet is read as raw UTF-8 (Utf8XmlPart): it is what grows with the
// rows, and only the texts a cell shows become QStrings.
class XlsxRows : public SheetRows {
public:
    XlsxRows(std::shared_ptr<Book> book, const Sheet& sheet)
        : SheetRows(book->zip->path(), sheet.name)
        , m_book(std::move(book)) {}

    bool open(const QString& part) {
        if (m_xml.open(*m_book->zip, part))
            return true;
        fail(m_xml.errorString());
        return false;
    }

    Status read(std::vector<QString>& cells) override;

private:
    using Scanned = Utf8XmlPart::Token;

    Status readCell(std::vector<QString>& cells);
    QString cellText(CellType type, int style) const;

    std::shared_ptr<Book> m_book;
    Utf8XmlPart m_xml;
    qint64 m_row = 0;   // 1-based number of the last row read
    QByteArray m_value; // the cell's value as written, its room kept for the next
};

QString XlsxRows::cellText(CellType type, int style) const {
    switch (type) {
    case CellType::Shared: { // checked by the caller
        qint64 index = 0;
        if (!plainDigits(m_value, index))
            index = QString::fromUtf8(m_value).trimmed().toLongLong();
        return m_book->strings[size_t(index)];
    }
    case CellType::Boolean:
        return BooleanCellText(QString::fromUtf8(m_value).trimmed() == u"1");
    case CellType::Text:
        return QString::fromUtf8(m_value);
    case CellType::Number:
    case CellType::IsoDate:
        break;
    }
    const NumberFormat format = style >= 0 && style < int(m_book->styles.size())
                                    ? m_book->styles[size_t(style)]
                                    : NumberFormat{};
    if (type == CellType::IsoDate) {
        const QString value = QString::fromUtf8(m_value);
        const QDateTime moment = QDateTime::fromString(value.trimmed(), Qt::ISODate);
        if (!moment.isValid())
            return value;
        NumberFormat shown = format;
        if (shown.kind != NumberFormat::Kind::Time && shown.kind != NumberFormat::Kind::DateTime)
            shown.kind = NumberFormat::Kind::Date;
        return DateTimeCellText(moment.date(), moment.time(), shown);
    }
    bool ok = false;
    const double number = CellNumber(m_value, &ok);
    return ok ? NumberCellText(number, format, m_book->date1904) : QString::fromUtf8(m_value);
}

SheetRows::Status XlsxRows::readCell(std::vector<QString>& cells) {
    const QByteArrayView reference = m_xml.attribute("r");
    const qint64 column = reference.isEmpty() ? qint64(cells.size()) : columnOf(reference);
    const CellType type = cellType(m_xml.attribute("t"));
    int style = 0;
    if (const QByteArrayView s = m_xml.attribute("s"); !s.isEmpty()) {
        qint64 number = 0;
        style = plainDigits(s, number) && number <= std::numeric_limits<int>::max()
                    ? int(number)
                    : QString::fromUtf8(s).toInt();
    }
    m_value.resize(0);
    bool inValue = false, inPhonetic = false, any = false;
    for (int depth = 1; depth > 0;) {
        switch (m_xml.next()) {
        case Scanned::Invalid:
            return fail(m_xml.errorString());
        case Scanned::EndDocument:
            return fail(QStringLiteral("%1: \"%2\" sayfası yarıda bitiyor").arg(m_path, m_sheet));
        case Scanned::StartElement:
            ++depth;
            if (m_xml.name() == "v" || m_xml.name() == "t") {
                inValue = !inPhonetic;
                any = any || inValue;
            } else if (m_xml.name() == "rPh") {
                inPhonetic = true;
            }
            break;
        case Scanned::EndElement:
            --depth;
            if (m_xml.name() == "v" || m_xml.name() == "t")
                inValue = false;
            else if (m_xml.name() == "rPh")
                inPhonetic = false;
            break;
        case Scanned::Text:
            if (inValue)
                m_value += m_xml.text();
            break;
        }
    }
    if (!any)
        return Status::Row; // a formatted cell without a value
    if (column < 0)
        return fail(
            QStringLiteral("%1: \"%2\" sayfasında bozuk hücre adresi").arg(m_path, m_sheet));
    if (type == CellType::Shared) {
        bool ok = false;
        qint64 index = 0;
        if (plainDigits(m_value, index))
            ok = true;
        else
            index = QString::fromUtf8(m_value).trimmed().toLongLong(&ok);
        if (!ok || index < 0 || index >= qint64(m_book->strings.size()))
            return fail(QStringLiteral("%1: \"%2\" sayfası olmayan bir metne bakıyor (%3)")
                            .arg(m_path, m_sheet, QString::fromUtf8(m_value).left(20)));
    }
    QString text = cellText(type, style);
    if (text.isEmpty())
        return Status::Row;
    if (!SheetRows::column(column))
        return Status::Error;
    if (qint64(cells.size()) <= column)
        cells.resize(size_t(column) + 1);
    cells[size_t(column)] = std::move(text);
    return Status::Row;
}

SheetRows::Status XlsxRows::read(std::vector<QString>& cells) {
    for (;;) {
        const Scanned token = m_xml.next();
        if (token == Scanned::Invalid)
            return fail(m_xml.errorString());
        if (token == Scanned::EndDocument)
            return Status::End;
        if (token != Scanned::StartElement || m_xml.name() != "row")
            continue;
        const QByteArrayView r = m_xml.attribute("r");
        qint64 number = 0;
        bool numbered = plainDigits(r, number);
        if (!numbered)
            number = QString::fromUtf8(r).toLongLong(&numbered);
        m_row = numbered ? std::max(number, m_row + 1) : m_row + 1;
        cells.clear();
        for (Scanned inner;
             (inner = m_xml.next()) != Scanned::EndElement || m_xml.name() != "row";) {
            if (inner == Scanned::Invalid)
                return fail(m_xml.errorString());
            if (inner == Scanned::EndDocument)
                return fail(
                    QStringLiteral("%1: \"%2\" sayfası yarıda bitiyor").arg(m_path, m_sheet));
            if (inner == Scanned::StartElement) {
                if (m_xml.name() == "c") {
                    if (readCell(cells) == Status::Error)
                        return Status::Error;
                } else if (!m_xml.skipElement()) {
                    return fail(m_xml.errorString());
                }
            }
        }
        if (cells.empty()) {
            if (!emptyRows(1))
                return Status::Error;
            continue;
        }
        if (!valueRow(m_row))
            return Status::Error;
        return Status::Row;
    }
}

class XlsxFile : public WorkbookFile {
public:
    explicit XlsxFile(std::unique_ptr<ZipArchive> zip)
        : m_book(std::make_shared<Book>()) {
        m_book->zip = std::move(zip);
        load();
    }

    QStringList sheetNames() override {
        QStringList names;
        for (const Sheet& sheet : m_sheets)
            names << sheet.name;
        return m_error.isEmpty() ? names : QStringList();
    }

    std::unique_ptr<SheetRows> openSheet(int index) override {
        if (!m_error.isEmpty() || index < 0 || index >= int(m_sheets.size()))
            return nullptr;
        const Sheet& sheet = m_sheets[size_t(index)];
        auto rows = std::make_unique<XlsxRows>(m_book, sheet);
        if (!rows->open(sheet.part)) {
            m_error = rows->errorString();
            return nullptr;
        }
        return rows;
    }

private:
    void load() {
        ZipArchive& zip = *m_book->zip;
        QString strings, styles;
        if (!readWorkbook(zip, m_sheets, m_book->date1904, strings, styles, m_error))
            return;
        for (const Sheet& sheet : m_sheets) {
            if (sheet.part.isEmpty()) {
                m_error = QStringLiteral("%1: çalışma kitabında \"%2\" sayfasının bölümü yok")
                              .arg(zip.path(), sheet.name);
                return;
            }
        }
        // Both are optional: a workbook of numbers alone may have neither.
        if (!strings.isEmpty() && !readSharedStrings(zip, strings, m_book->strings, m_error))
            return;
        if (!styles.isEmpty())
            readStyles(zip, styles, m_book->styles, m_error);
    }

    std::shared_ptr<Book> m_book;
    std::vector<Sheet> m_sheets;
};

} // namespace

std::unique_ptr<WorkbookFile> OpenXlsx(std::unique_ptr<ZipArchive> zip) {
    return std::make_unique<XlsxFile>(std::move(zip));
}
