// OpenDocument spreadsheets (.ods): everything is in content.xml, the
// number styles first, then the sheets one after another.
#include <QHash>

#include "CellText.h"
#include "SheetRows.h"
#include "ZipPart.h"

namespace {

using Token = QXmlStreamReader::TokenType;
using Kind = NumberFormat::Kind;

const QString Content = QStringLiteral("content.xml");

// What the automatic styles say about numbers: data style by name, and the
// data style of each cell style.
struct Styles {
    QHash<QString, NumberFormat> data;
    QHash<QString, QString> cells;

    NumberFormat of(const QString& cellStyle) const {
        const auto found = cells.constFind(cellStyle);
        return found == cells.constEnd() ? NumberFormat{} : data.value(*found);
    }
};

// One number style element, from its start to its end.
bool readDataStyle(XmlPart& xml, Styles& styles) {
    const QString element = xml.xml().name().toString();
    const QString name = AttributeValue(xml.xml().attributes(), u"name").toString();
    NumberFormat format;
    bool date = false, time = false, general = true;
    if (element == u"date-style")
        format.kind = Kind::Date;
    for (int depth = 1; depth > 0;) {
        const Token token = xml.next();
        if (token == Token::Invalid || token == Token::EndDocument)
            return false;
        if (token == Token::EndElement)
            --depth;
        if (token != Token::StartElement)
            continue;
        ++depth;
        const QStringView part = xml.xml().name();
        const QXmlStreamAttributes attributes = xml.xml().attributes();
        if (part == u"number") {
            const QStringView decimals = AttributeValue(attributes, u"decimal-places");
            general = decimals.isEmpty();
            format.decimals = decimals.toInt();
            format.grouping = AttributeValue(attributes, u"grouping") == u"true";
        } else if (part == u"day" || part == u"month" || part == u"year") {
            date = true;
        } else if (part == u"hours" || part == u"minutes") {
            time = true;
        } else if (part == u"seconds") {
            time = true;
            format.seconds = true;
        }
    }
    if (element == u"date-style" || element == u"time-style")
        format.kind =
            date || element == u"date-style" ? (time ? Kind::DateTime : Kind::Date) : Kind::Time;
    else if (element == u"percentage-style")
        format.kind = Kind::Percent;
    else if (element == u"number-style" || element == u"currency-style")
        format.kind = general ? Kind::General : Kind::Fixed;
    else
        return true; // text and boolean styles change nothing
    styles.data.insert(name, format);
    return true;
}

// Reads content.xml up to the start of sheet `index`, gathering the styles
// on the way; with `names`, to its end, naming every sheet.
bool seekSheet(XmlPart& xml, int index, Styles& styles, QStringList* names, QString& error) {
    int seen = 0;
    bool inStyles = false;
    for (Token token; (token = xml.next()) != Token::EndDocument;) {
        if (token == Token::Invalid) {
            error = xml.errorString();
            return false;
        }
        const QStringView name = xml.xml().name();
        if (token == Token::EndElement && name == u"automatic-styles")
            inStyles = false;
        if (token != Token::StartElement)
            continue;
        if (name == u"automatic-styles") {
            inStyles = true;
        } else if (inStyles && name.endsWith(u"-style")) {
            if (!readDataStyle(xml, styles)) {
                error = xml.errorString();
                return false;
            }
        } else if (inStyles && name == u"style") {
            const QXmlStreamAttributes attributes = xml.xml().attributes();
            const QStringView data = AttributeValue(attributes, u"data-style-name");
            if (!data.isEmpty())
                styles.cells.insert(AttributeValue(attributes, u"name").toString(),
                                    data.toString());
        } else if (name == u"table" && xml.xml().namespaceUri().endsWith(u":table:1.0")) {
            if (names) {
                names->append(AttributeValue(xml.xml().attributes(), u"name").toString());
            } else if (seen == index) {
                return true;
            }
            ++seen;
            if (!xml.skipElement()) {
                error = xml.errorString();
                return false;
            }
        }
    }
    return names != nullptr;
}

// "PT10H30M05S" as a time of day.
QTime durationTime(QStringView text) {
    qint64 hours = 0, minutes = 0;
    double seconds = 0;
    qsizetype start = text.indexOf(u'T') + 1;
    for (qsizetype i = start; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit != u'H' && unit != u'M' && unit != u'S')
            continue;
        const QStringView digits = text.mid(start, i - start);
        if (unit == u'H')
            hours = digits.toLongLong();
        else if (unit == u'M')
            minutes = digits.toLongLong();
        else
            seconds = digits.toDouble();
        start = i + 1;
    }
    const qint64 total = (hours * 3600 + minutes * 60 + qint64(seconds + 0.5)) % 86400;
    return QTime(0, 0).addSecs(int(total));
}

class OdsRows : public SheetRows {
public:
    OdsRows(const QString& path, const QString& sheet, std::unique_ptr<XmlPart> xml, Styles styles)
        : SheetRows(path, sheet)
        , m_xml(std::move(xml))
        , m_styles(std::move(styles)) {}

    Status read(std::vector<QString>& cells) override;

private:
    bool readRow(std::vector<QString>& cells);
    bool readCell(QString& text, const QString& columnStyle);
    bool readParagraphs(QString& text);

    std::unique_ptr<XmlPart> m_xml;
    Styles m_styles;
    // The column default cell styles, as far as a value may stand.
    std::vector<QString> m_columnStyles;
    qint64 m_row = 0;            // 1-based number of the last row read
    std::vector<QString> m_last; // a repeated row's cells
    qint64 m_repeats = 0;        // times m_last is still to come
    bool m_ended = false;
};

bool OdsRows::readParagraphs(QString& text) {
    bool inParagraph = false, first = true;
    for (int depth = 1; depth > 0;) {
        switch (m_xml->next()) {
        case Token::Invalid:
            fail(m_xml->errorString());
            return false;
        case Token::EndDocument:
            fail(QStringLiteral("%1: \"%2\" sayfası yarıda bitiyor").arg(m_path, m_sheet));
            return false;
        case Token::StartElement: {
            ++depth;
            const QStringView name = m_xml->xml().name();
            if (name == u"annotation") { // a comment, not the cell's text
                --depth;
                if (!m_xml->skipElement()) {
                    fail(m_xml->errorString());
                    return false;
                }
            } else if (name == u"p" && depth == 2) {
                if (!first)
                    text += u'\n';
                first = false;
                inParagraph = true;
            } else if (inParagraph && name == u"s") {
                const QStringView count = AttributeValue(m_xml->xml().attributes(), u"c");
                text += QString(count.isEmpty() ? 1 : std::clamp(count.toInt(), 1, 1000), u' ');
            } else if (inParagraph && name == u"tab") {
                text += u'\t';
            } else if (inParagraph && name == u"line-break") {
                text += u'\n';
            }
            break;
        }
        case Token::EndElement:
            --depth;
            if (depth == 1)
                inParagraph = false;
            break;
        case Token::Characters:
            if (inParagraph)
                text += m_xml->xml().text();
            break;
        default:
            break;
        }
        // Spaces written as a count could grow without bound.
        if (!rowLength(text.size()))
            return false;
    }
    return true;
}

bool OdsRows::readCell(QString& text, const QString& columnStyle) {
    const QXmlStreamAttributes attributes = m_xml->xml().attributes();
    const QStringView type = AttributeValue(attributes, u"value-type");
    const QString style = AttributeValue(attributes, u"style-name").toString();
    const NumberFormat format = m_styles.of(style.isEmpty() ? columnStyle : style);
    text.clear();
    const auto number = [&] {
        return AttributeValue(attributes, u"value").toDouble();
    };
    if (type == u"float" || type == u"currency") {
        text = NumberCellText(number(), format);
    } else if (type == u"percentage") {
        NumberFormat shown = format;
        if (shown.kind != Kind::Percent && shown.kind != Kind::Fixed)
            shown = {};
        text = NumberCellText(number() * 100,
                              {shown.kind == Kind::General ? Kind::General : Kind::Fixed,
                               shown.decimals, shown.grouping, false}) +
               u'%';
    } else if (type == u"date") {
        const QStringView value = AttributeValue(attributes, u"date-value");
        const QDate date = QDate::fromString(value.left(10), Qt::ISODate);
        const QTime time =
            value.size() > 11 ? QTime::fromString(value.mid(11, 8), Qt::ISODate) : QTime(0, 0);
        NumberFormat shown = format;
        if (shown.kind != Kind::DateTime)
            shown.kind = Kind::Date;
        text = date.isValid() ? DateTimeCellText(date, time, shown) : value.toString();
    } else if (type == u"time") {
        NumberFormat shown = format;
        shown.kind = Kind::Time;
        text = DateTimeCellText(QDate(), durationTime(AttributeValue(attributes, u"time-value")),
                                shown);
    } else if (type == u"boolean") {
        text = BooleanCellText(AttributeValue(attributes, u"boolean-value") == u"true");
    } else if (type == u"string" && !AttributeValue(attributes, u"string-value").isEmpty()) {
        text = AttributeValue(attributes, u"string-value").toString();
    } else {
        return readParagraphs(text);
    }
    if (m_xml->skipElement())
        return true;
    fail(m_xml->errorString());
    return false;
}

bool OdsRows::readRow(std::vector<QString>& cells) {
    cells.clear();
    qint64 column = 0, length = 0;
    QString text;
    for (;;) {
        const Token token = m_xml->next();
        if (token == Token::Invalid) {
            fail(m_xml->errorString());
            return false;
        }
        if (token == Token::EndDocument) {
            fail(QStringLiteral("%1: \"%2\" sayfası yarıda bitiyor").arg(m_path, m_sheet));
            return false;
        }
        if (token == Token::EndElement && m_xml->xml().name() == u"table-row")
            return true;
        if (token != Token::StartElement)
            continue;
        const QStringView name = m_xml->xml().name();
        if (name != u"table-cell" && name != u"covered-table-cell") {
            if (!m_xml->skipElement()) {
                fail(m_xml->errorString());
                return false;
            }
            continue;
        }
        const qint64 repeat = std::max<qint64>(
            1, AttributeValue(m_xml->xml().attributes(), u"number-columns-repeated").toLongLong());
        const QString columnStyle =
            column < qint64(m_columnStyles.size()) ? m_columnStyles[size_t(column)] : QString();
        if (!readCell(text, columnStyle))
            return false;
        // Empty cells repeated to the sheet's right edge are only a count.
        if (!text.isEmpty()) {
            length += text.size() * std::min<qint64>(repeat, MaxColumns + 1);
            if (!SheetRows::column(column + repeat - 1) || !rowLength(length))
                return false;
            cells.resize(size_t(column + repeat));
            for (qint64 i = column; i < column + repeat; ++i)
                cells[size_t(i)] = text;
        }
        column = std::min<qint64>(column + repeat, qint64(1) << 40);
    }
}

SheetRows::Status OdsRows::read(std::vector<QString>& cells) {
    if (m_repeats > 0) {
        --m_repeats;
        cells = m_last;
        return Status::Row;
    }
    while (!m_ended) {
        const Token token = m_xml->next();
        if (token == Token::Invalid)
            return fail(m_xml->errorString());
        if (token == Token::EndDocument)
            return fail(QStringLiteral("%1: \"%2\" sayfası yarıda bitiyor").arg(m_path, m_sheet));
        const QStringView name = m_xml->xml().name();
        if (token == Token::EndElement && name == u"table") {
            m_ended = true;
            break;
        }
        if (token != Token::StartElement)
            continue;
        const QXmlStreamAttributes attributes = m_xml->xml().attributes();
        if (name == u"table-column") {
            const qint64 repeat = std::max<qint64>(
                1, AttributeValue(attributes, u"number-columns-repeated").toLongLong());
            const QString style = AttributeValue(attributes, u"default-cell-style-name").toString();
            const qint64 room = MaxColumns - qint64(m_columnStyles.size());
            m_columnStyles.insert(m_columnStyles.end(),
                                  size_t(std::clamp<qint64>(repeat, 0, std::max<qint64>(room, 0))),
                                  style);
            if (!m_xml->skipElement())
                return fail(m_xml->errorString());
        } else if (name == u"table-row") {
            const qint64 repeat =
                std::clamp<qint64>(AttributeValue(attributes, u"number-rows-repeated").toLongLong(),
                                   1, qint64(1) << 40);
            if (!readRow(cells))
                return Status::Error;
            m_row += repeat;
            if (cells.empty()) {
                // A run of empty rows, often to the sheet's last row, is one
                // element and never made into rows.
                if (!emptyRows(1))
                    return Status::Error;
                continue;
            }
            if (!valueRow(m_row))
                return Status::Error;
            if (repeat > 1) {
                m_last = cells;
                m_repeats = repeat - 1;
            }
            return Status::Row;
        } else if (name != u"table-header-rows" && name != u"table-row-group" &&
                   name != u"table-rows") {
            if (!m_xml->skipElement()) // shapes, named ranges, column groups...
                return fail(m_xml->errorString());
        }
    }
    return Status::End;
}

class OdsFile : public WorkbookFile {
public:
    explicit OdsFile(std::unique_ptr<ZipArchive> zip)
        : m_zip(std::move(zip)) {}

    QStringList sheetNames() override {
        if (m_names.isEmpty() && m_error.isEmpty()) {
            XmlPart xml;
            Styles styles;
            if (!xml.open(*m_zip, Content))
                m_error = xml.errorString();
            else if (!seekSheet(xml, -1, styles, &m_names, m_error))
                m_names.clear();
        }
        return m_names;
    }

    std::unique_ptr<SheetRows> openSheet(int index) override {
        auto xml = std::make_unique<XmlPart>();
        Styles styles;
        if (!xml->open(*m_zip, Content)) {
            m_error = xml->errorString();
            return nullptr;
        }
        if (!seekSheet(*xml, index, styles, nullptr, m_error))
            return nullptr;
        const QString name = AttributeValue(xml->xml().attributes(), u"name").toString();
        return std::make_unique<OdsRows>(m_zip->path(), name, std::move(xml), std::move(styles));
    }

private:
    std::unique_ptr<ZipArchive> m_zip;
    QStringList m_names;
};

} // namespace

std::unique_ptr<WorkbookFile> OpenOds(std::unique_ptr<ZipArchive> zip) {
    return std::make_unique<OdsFile>(std::move(zip));
}
