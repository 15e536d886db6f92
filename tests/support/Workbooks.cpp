#include "Workbooks.h"

#include <xlsxwriter.h>
#include <zip.h>

#include <QFile>
#include <QTemporaryDir>

#include "spreadsheet/WorkbookReader.h"

void WriteXlsx(const QString& path, const Sheets& sheets) {
    QFile::remove(path);
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook* book = workbook_new(name.constData());
    if (!book)
        qFatal("cannot make a test workbook");
    lxw_format* decimals = workbook_add_format(book);
    format_set_num_format(decimals, "0.00");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd.mm.yyyy");
    for (const auto& [sheetName, rows] : sheets) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < rows[r].size(); ++c) {
                const QVariant& cell = rows[r][c];
                const auto row = lxw_row_t(r);
                const auto col = lxw_col_t(c);
                switch (cell.typeId()) {
                case QMetaType::QString:
                    worksheet_write_string(sheet, row, col, cell.toString().toUtf8().constData(),
                                           nullptr);
                    break;
                case QMetaType::Int:
                case QMetaType::LongLong:
                    worksheet_write_number(sheet, row, col, cell.toDouble(), nullptr);
                    break;
                case QMetaType::Double:
                    worksheet_write_number(sheet, row, col, cell.toDouble(), decimals);
                    break;
                case QMetaType::QDate: {
                    const QDate d = cell.toDate();
                    lxw_datetime when{d.year(), d.month(), d.day(), 0, 0, 0};
                    worksheet_write_datetime(sheet, row, col, &when, date);
                    break;
                }
                default:
                    break;
                }
            }
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        qFatal("cannot write a test workbook");
}

void WriteOds(const QString& path, const Sheets& sheets) {
    QByteArray content =
        R"(<?xml version="1.0" encoding="UTF-8"?>)"
        R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
        R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
        R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">)"
        R"(<office:body><office:spreadsheet>)";
    for (const auto& [sheetName, rows] : sheets) {
        content += "<table:table table:name=\"" + sheetName.toHtmlEscaped().toUtf8() + "\">";
        for (const QVariantList& row : rows) {
            content += "<table:table-row>";
            for (const QVariant& cell : row) {
                if (!cell.isValid()) {
                    content += "<table:table-cell/>";
                } else if (cell.typeId() == QMetaType::QDate) {
                    content += "<table:table-cell office:value-type=\"date\" "
                               "office:date-value=\"" +
                               cell.toDate().toString(Qt::ISODate).toUtf8() +
                               "\"><text:p>x</text:p></table:table-cell>";
                } else if (cell.typeId() == QMetaType::QString) {
                    content += "<table:table-cell office:value-type=\"string\"><text:p>" +
                               cell.toString().toHtmlEscaped().toUtf8() +
                               "</text:p></table:table-cell>";
                } else {
                    const QByteArray value = QByteArray::number(cell.toDouble(), 'g', 17);
                    content += "<table:table-cell office:value-type=\"float\" office:value=\"" +
                               value + "\"><text:p>" + value + "</text:p></table:table-cell>";
                }
            }
            content += "</table:table-row>";
        }
        content += "</table:table>";
    }
    content += "</office:spreadsheet></office:body></office:document-content>";

    QFile::remove(path);
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        qFatal("cannot make a test .ods");
    const QByteArray mimetype = "application/vnd.oasis.opendocument.spreadsheet";
    for (const auto& [part, bytes] :
         {std::pair{"mimetype", &mimetype}, {"content.xml", &content}}) {
        zip_source_t* source =
            zip_source_buffer(archive, bytes->constData(), zip_uint64_t(bytes->size()), 0);
        if (zip_file_add(archive, part, source, ZIP_FL_ENC_UTF_8) < 0)
            qFatal("cannot make a test .ods");
    }
    if (zip_close(archive) != 0)
        qFatal("cannot write a test .ods");
}

QByteArray WorkbookBytes(const QString& suffix, const Sheets& sheets) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kitap.") + suffix);
    if (suffix == QLatin1String("ods"))
        WriteOds(path, sheets);
    else
        WriteXlsx(path, sheets);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read a test workbook back");
    return file.readAll();
}

QByteArray WorkbookPart(const QString& path, const QString& part) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QByteArray bytes;
    zip_stat_t stat;
    zip_file_t* file = nullptr;
    if (zip_stat(archive, part.toUtf8().constData(), 0, &stat) == 0 &&
        (file = zip_fopen(archive, part.toUtf8().constData(), 0))) {
        bytes.resize(qsizetype(stat.size));
        if (zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size))
            bytes.clear();
        zip_fclose(file);
    }
    zip_discard(archive);
    return bytes;
}

QStringList SheetLines(const QString& path, int sheet) {
    WorkbookReader reader;
    if (!reader.open(path, false, sheet))
        return {QStringLiteral("error: ") + reader.errorString()};
    QStringList lines;
    while (reader.next())
        lines << JoinedValues(reader.record(), u";");
    if (reader.hasError())
        lines << QStringLiteral("error: ") + reader.errorString();
    return lines;
}
