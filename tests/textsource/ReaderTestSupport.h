#pragma once

#include <QStringList>

#include "support/TestEnvironment.h"
#include "textsource/DelimitedReader.h"

// A data file written into in/ of the test folder, described with the
// program's own description file and read back as text lines.
struct ReadResult {
    bool opened = false;
    QString error;
    TextEncoding encoding = TextEncoding::Windows1254;
    QStringList columns;     // name:type
    QList<QStringList> rows; // values as shown, Null as \N
};

inline ReadResult readDataFile(TestEnvironment& env, const QByteArray& bytes,
                               const QString& separator, const QString& headerFlag) {
    env.writeFile(QStringLiteral("in/data.txt"), bytes);
    WriteSchemaIni(env.filePath(QStringLiteral("in")), separator, headerFlag);
    ReadResult result;
    DelimitedReader reader;
    result.opened = reader.open(env.filePath(QStringLiteral("in")), QStringLiteral("data.txt"));
    result.error = reader.errorString();
    if (!result.opened)
        return result;
    result.encoding = reader.encoding();
    for (const TextColumn& column : reader.columns())
        result.columns << column.name + QLatin1Char(':') + TextColumnTypeName(column.type);
    while (reader.next()) {
        QStringList row;
        const TextRecord& record = reader.record();
        for (int i = 0; i < record.size(); ++i)
            row << (record.isNull(i) ? QStringLiteral("\\N") : record.text(i));
        result.rows << row;
    }
    if (reader.hasError())
        result.error = reader.errorString();
    return result;
}
