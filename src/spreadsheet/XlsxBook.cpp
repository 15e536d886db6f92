// Office Open XML workbooks (.xlsx).
#include <limits>

#include <QHash>

#include "CellText.h"
#include "SheetRows.h"
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

bool readSharedStrings(ZipArchive& zip, const QString& part, std::vector<QString>& strings,
                       QString& error) {
    XmlPart xml;
    if (!xml.open(zip, part)) {
        error = xml.errorString();
        return false;
    }
    bool inItem = false, inText = false;
    QString text;
    for (Token token; (token = xml.next()) != Token::EndDocument;) {
        switch (token) {
        case Token::Invalid:
            error = xml.errorString();
            return false;
        case Token::StartElement:
            if (xml.xml().name() == u"si") {
                inItem = true;
                text.clear();
            } else if (inItem && xml.xml().name() == u"rPh") {
                // The reading aid above East Asian text, not the text.
                if (!xml.skipElement()) {
                    error = xml.errorString();
                    return false;
                }
            } else if (inItem && xml.xml().name() == u"t") {
                inText = true;
            }
            break;
        case Token::EndElement:
            if (xml.xml().name() == u"si") {
                strings.push_back(text);
                inItem = false;
            } else if (xml.xml().name() == u"t") {
                inText = false;
            }
            break;
        case Token::Characters:
            if (inText)
                text += xml.xml().text();
            break;
        default:
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

// Element and attribute names of a sheet are a letter or a few: compared in
// line, as the general comparison is a call a million rows make millions of
// times.
bool isName(QStringView name, QStringView wanted) {
    if (name.size() != wanted.size())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] != wanted[i])
            return false;
    }
    return true;
}

// A whole number as QStringView::toLongLong reads it, plain digits without
// its general parser.
qint64 wholeNumber(QStringView text, bool* ok) {
    if (text.isEmpty() || text.size() > 18)
        return text.toLongLong(ok);
    qint64 number = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return text.toLongLong(ok);
        number = number * 10 + (c.unicode() - u'0');
    }
    *ok = true;
    return number;
}

// How a cell keeps its value (its t attribute).
enum class CellType { Number, Shared, Boolean, Text, IsoDate };

CellType cellType(QStringView type) {
    if (isName(type, u"s"))
        return CellType::Shared;
    if (isName(type, u"b"))
        return CellType::Boolean;
    if (isName(type, u"str") || isName(type, u"inlineStr") || isName(type, u"e"))
        return CellType::Text;
    if (isName(type, u"d")) // an ISO date, which few programs write
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
    Status readCell(std::vector<QString>& cells);
    QString cellText(CellType type, int style, const QString& value) const;

    std::shared_ptr<Book> m_book;
    XmlPart m_xml;
    qint64 m_row = 0; // 1-based number of the last row read
    QString m_value;
};

QString XlsxRows::cellText(CellType type, int style, const QString& value) const {
    bool ok = false;
    switch (type) {
    case CellType::Shared: // checked by the caller
        return m_book->strings[size_t(wholeNumber(QStringView(value).trimmed(), &ok))];
    case CellType::Boolean:
        return BooleanCellText(value.trimmed() == u"1");
    case CellType::Text:
        return value;
    case CellType::Number:
    case CellType::IsoDate:
        break;
    }
    const NumberFormat format = style >= 0 && style < int(m_book->styles.size())
                                    ? m_book->styles[size_t(style)]
                                    : NumberFormat{};
    if (type == CellType::IsoDate) {
        const QDateTime moment = QDateTime::fromString(value.trimmed(), Qt::ISODate);
        if (!moment.isValid())
            return value;
        NumberFormat shown = format;
        if (shown.kind != NumberFormat::Kind::Time && shown.kind != NumberFormat::Kind::DateTime)
            shown.kind = NumberFormat::Kind::Date;
        return DateTimeCellText(moment.date(), moment.time(), shown);
    }
    const double number = CellNumber(value, &ok);
    return ok ? NumberCellText(number, format, m_book->date1904) : value;
}

SheetRows::Status XlsxRows::readCell(std::vector<QString>& cells) {
    // One pass over the attributes: r, t and s are all a cell needs.
    qint64 column = qint64(cells.size());
    CellType type = CellType::Number;
    int style = 0;
    const QXmlStreamAttributes attributes = m_xml.xml().attributes();
    for (const QXmlStreamAttribute& attribute : attributes) {
        const QStringView name = attribute.name();
        if (isName(name, u"r")) {
            if (!attribute.value().isEmpty())
                column = columnOf(attribute.value());
        } else if (isName(name, u"t")) {
            type = cellType(attribute.value());
        } else if (isName(name, u"s") && !attribute.value().isEmpty()) {
            bool plain = false;
            const qint64 number = wholeNumber(attribute.value(), &plain);
            style = plain && number >= 0 && number <= std::numeric_limits<int>::max()
                        ? int(number)
                        : attribute.value().toInt();
        }
    }
    m_value.resize(0); // keeps its room for the next cell
    bool inValue = false, inPhonetic = false, any = false;
    for (int depth = 1; depth > 0;) {
        switch (m_xml.next()) {
        case Token::Invalid:
            return fail(m_xml.errorString());
        case Token::EndDocument:
            return fail(QStringLiteral("%1: \"%2\" sayfası yarıda bitiyor").arg(m_path, m_sheet));
        case Token::StartElement: {
            ++depth;
            const QStringView name = m_xml.xml().name();
            if (isName(name, u"v") || isName(name, u"t")) {
                inValue = !inPhonetic;
                any = any || inValue;
            } else if (isName(name, u"rPh")) {
                inPhonetic = true;
            }
            break;
        }
        case Token::EndElement: {
            --depth;
            const QStringView name = m_xml.xml().name();
            if (isName(name, u"v") || isName(name, u"t"))
                inValue = false;
            else if (isName(name, u"rPh"))
                inPhonetic = false;
            break;
        }
        case Token::Characters:
            if (inValue)
                m_value += m_xml.xml().text();
            break;
        default:
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
        const qint64 index = wholeNumber(QStringView(m_value).trimmed(), &ok);
        if (!ok || index < 0 || index >= qint64(m_book->strings.size()))
            return fail(QStringLiteral("%1: \"%2\" sayfası olmayan bir metne bakıyor (%3)")
                            .arg(m_path, m_sheet, m_value.left(20)));
    }
    QString text = cellText(type, style, m_value);
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
        const Token token = m_xml.next();
        if (token == Token::Invalid)
            return fail(m_xml.errorString());
        if (token == Token::EndDocument)
            return Status::End;
        if (token != Token::StartElement || !isName(m_xml.xml().name(), u"row"))
            continue;
        bool numbered = false;
        const qint64 number =
            wholeNumber(AttributeValue(m_xml.xml().attributes(), u"r"), &numbered);
        m_row = numbered ? std::max(number, m_row + 1) : m_row + 1;
        cells.clear();
        for (Token inner;
             (inner = m_xml.next()) != Token::EndElement || !isName(m_xml.xml().name(), u"row");) {
            if (inner == Token::Invalid)
                return fail(m_xml.errorString());
            if (inner == Token::EndDocument)
                return fail(
                    QStringLiteral("%1: \"%2\" sayfası yarıda bitiyor").arg(m_path, m_sheet));
            if (inner == Token::StartElement) {
                if (isName(m_xml.xml().name(), u"c")) {
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
