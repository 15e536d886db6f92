#include "CustomerWorkbook.h"

#include <QByteArray>
#include <QFile>
#include <QHash>

#include <zip.h>

#include "BenchRandom.h"

namespace {

const char* const kGivenNames[] = {
    "Ayşe",   "Mehmet", "Çağrı",  "Gülşen",  "İsmail",  "Özge",    "Şükrü",  "Ümit",     "Ilgın",
    "Zeynep", "Ali",    "Fatma",  "Mustafa", "Emine",   "Hüseyin", "Hatice", "İbrahim",  "Şerife",
    "Ömer",   "Gökçe",  "Tuğçe",  "Müge",    "Uğur",    "Barış",   "Çiğdem", "Doğan",    "Ebru",
    "Eylül",  "Ferhat", "Gül",    "Hülya",   "Irmak",   "Kübra",   "Levent", "Mükerrem", "Nurşen",
    "Oğuz",   "Pınar",  "Rüştü",  "Sevgül",  "Tülin",   "Ümmühan", "Volkan", "Yağmur",   "Zehra",
    "Ağah",   "Büşra",  "Cüneyt", "Dilşad",  "Ertuğrul"};
const char* const kSurnames[] = {
    "Yılmaz", "Öztürk",  "Çelik",      "Şahin",    "Doğan",   "Kılıç",    "Aydın",  "Güneş",
    "Ünal",   "Işık",    "Kaya",       "Demir",    "Yıldız",  "Yıldırım", "Aslan",  "Çetin",
    "Koç",    "Kurt",    "Özdemir",    "Arslan",   "Erdoğan", "Polat",    "Özkan",  "Korkmaz",
    "Çakır",  "Erdem",   "Yavuz",      "Şimşek",   "Türk",    "Güler",    "Tekin",  "Bozkurt",
    "Akgül",  "Uçar",    "Gündüz",     "Karagöz",  "Sönmez",  "Bulut",    "Gök",    "Keskin",
    "Ateş",   "Ağaoğlu", "Büyükşahin", "Çağlayan", "Dönmez",  "Eğilmez",  "Gürsoy", "Ilıcalı",
    "Küçük",  "Oğuz",    "Özçelik",    "Sağlam",   "Tunç",    "Uğurlu",   "Üstün",  "Yücel",
    "Zengin", "Şeker",   "Öğüt",       "Çınar"};

// The shared strings in the order a spreadsheet program lists them: each
// text once, by first appearance.
class SharedStrings {
public:
    int index(const QByteArray& text) {
        ++m_count;
        const auto found = m_index.constFind(text);
        if (found != m_index.constEnd())
            return *found;
        const int index = int(m_index.size());
        m_index.insert(text, index);
        m_xml += "<si><t>";
        m_xml += text;
        m_xml += "</t></si>";
        return index;
    }
    QByteArray xml() const {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "count=\"" +
               QByteArray::number(m_count) + "\" uniqueCount=\"" +
               QByteArray::number(m_index.size()) + "\">" + m_xml + "</sst>";
    }

private:
    QHash<QByteArray, int> m_index;
    QByteArray m_xml;
    qint64 m_count = 0;
};

// The column letter and row number of a cell, as "C1048576".
void appendReference(QByteArray& out, char column, qint64 row) {
    out += column;
    out += QByteArray::number(row);
}

void appendCell(QByteArray& out, char column, qint64 row, const char* attributes,
                const QByteArray& value) {
    out += "<c r=\"";
    appendReference(out, column, row);
    out += '"';
    out += attributes;
    out += "><v>";
    out += value;
    out += "</v></c>";
}

// Cents as a spreadsheet program stores the number: "1234.5", not "1234.50".
QByteArray amountText(qint64 cents) {
    QByteArray text = QByteArray::number(cents / 100);
    if (cents % 100 != 0) {
        text += '.';
        text += char('0' + cents % 100 / 10);
        if (cents % 10 != 0)
            text += char('0' + cents % 10);
    }
    return text;
}

const char* const kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "<Override PartName=\"/xl/sharedStrings.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
    "</Types>";

const char* const kRootRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";

const char* const kWorkbook =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<workbookPr/><sheets><sheet name=\"Müşteriler\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
    "</workbook>";

const char* const kWorkbookRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/>"
    "<Relationship Id=\"rId3\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
    "Target=\"sharedStrings.xml\"/></Relationships>";

const char* const kStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"dd\\.mm\\.yyyy\"/></numFmts>"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"1\"><fill><patternFill patternType=\"none\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    // Cell styles: 0 General, 1 "#,##0.00" (built-in 4), 2 "dd.mm.yyyy".
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "</cellStyleXfs><cellXfs count=\"3\">"
    "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"4\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
    "applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
    "applyNumberFormat=\"1\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
    "</cellStyles></styleSheet>";

// The sheet goes to a file beside the workbook rather than into memory, so
// that a million rows cost the generator no more than the reader.
bool writeSheet(const QString& path, qint64 rows, quint32 seed, SharedStrings& strings) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 last = rows + 1;
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                     "main\"><dimension ref=\"A1:D" +
                     QByteArray::number(last) +
                     "\"/><sheetFormatPr defaultRowHeight=\"15\"/>"
                     "<cols><col min=\"1\" max=\"4\" width=\"16\" customWidth=\"1\"/></cols>"
                     "<sheetData><row r=\"1\" spans=\"1:4\">";
    const char* const header[] = {"GSM", "Adı Soyadı", "Tutar", "Son Ödeme"};
    for (int i = 0; i < 4; ++i)
        appendCell(out, char('A' + i), 1, " t=\"s\"", QByteArray::number(strings.index(header[i])));
    out += "</row>";

    Lcg random(seed);
    for (qint64 row = 2; row <= last; ++row) {
        out += "<row r=\"";
        out += QByteArray::number(row);
        out += "\" spans=\"1:4\">";
        const QByteArray gsm = "5" + QByteArray::number(300000000 + random.next(600000000));
        if (row % 10 == 0) // typed into a text column, with the leading 0
            appendCell(out, 'A', row, " t=\"s\"", QByteArray::number(strings.index("0" + gsm)));
        else
            appendCell(out, 'A', row, "", gsm);
        QByteArray name = kGivenNames[random.next(std::size(kGivenNames))];
        if (random.next(100) < 30) {
            name += ' ';
            name += kGivenNames[random.next(std::size(kGivenNames))];
        }
        name += ' ';
        name += kSurnames[random.next(std::size(kSurnames))];
        appendCell(out, 'B', row, " t=\"s\"", QByteArray::number(strings.index(name)));
        appendCell(out, 'C', row, " s=\"1\"", amountText(random.next(10000000)));
        appendCell(out, 'D', row, " s=\"2\"", QByteArray::number(45292 + random.next(1096)));
        out += "</row>";
        if (out.size() > (1 << 20)) {
            if (file.write(out) != out.size())
                return false;
            out.clear();
        }
    }
    out += "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
           "header=\"0.3\" footer=\"0.3\"/></worksheet>";
    return file.write(out) == out.size() && file.flush();
}

bool addPart(zip_t* archive, const char* name, zip_source_t* source) {
    if (!source)
        return false;
    const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    // The fastest deflate: the reader inflates any level alike, and the
    // generator is not what is measured.
    return zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 1) == 0;
}

// libzip reads `data` only when the archive is closed: it must live until then.
bool addBuffer(zip_t* archive, const char* name, QByteArrayView data) {
    return addPart(archive, name,
                   zip_source_buffer(archive, data.data(), zip_uint64_t(data.size()), 0));
}

} // namespace

bool WriteCustomerWorkbook(const QString& path, qint64 rows, QString& error, quint32 seed) {
    const QString sheetPath = path + QStringLiteral(".sheet1.xml");
    SharedStrings strings;
    if (!writeSheet(sheetPath, rows, seed, strings)) {
        error = QStringLiteral("cannot write ") + sheetPath;
        return false;
    }
    const QByteArray sharedStrings = strings.xml();
    QFile::remove(path);
    int code = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        error = QStringLiteral("cannot create ") + path;
        QFile::remove(sheetPath);
        return false;
    }
    const bool added =
        addBuffer(archive, "[Content_Types].xml", kContentTypes) &&
        addBuffer(archive, "_rels/.rels", kRootRels) &&
        addBuffer(archive, "xl/workbook.xml", kWorkbook) &&
        addBuffer(archive, "xl/_rels/workbook.xml.rels", kWorkbookRels) &&
        addBuffer(archive, "xl/styles.xml", kStyles) &&
        addBuffer(archive, "xl/sharedStrings.xml", sharedStrings) &&
        addPart(archive, "xl/worksheets/sheet1.xml",
                zip_source_file(archive, QFile::encodeName(sheetPath).constData(), 0, -1));
    if (!added) {
        error = QStringLiteral("cannot add the parts: ") + QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        QFile::remove(sheetPath);
        return false;
    }
    const bool closed = zip_close(archive) == 0;
    if (!closed) {
        error = QStringLiteral("cannot write ") + path + QStringLiteral(": ") +
                QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
    }
    QFile::remove(sheetPath);
    return closed;
}
