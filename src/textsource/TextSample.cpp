#include "TextSample.h"

#include "DelimitedReader.h"

TextSample LoadTextSample(const QString& folder, const QString& fileName, int maxRows) {
    TextSample sample;
    DelimitedReader reader;
    if (!reader.open(folder, fileName)) {
        sample.error = reader.errorString();
        return sample;
    }
    for (const TextColumn& column : reader.columns())
        sample.rows.appendField(column.name, column.type);
    for (int n = 0; (maxRows < 0 || n < maxRows) && reader.next(); ++n)
        sample.rows.appendRow(reader.record().values());
    if (reader.hasError()) {
        sample.error = reader.errorString();
        sample.rows = Recordset();
        return sample;
    }
    sample.rows.setReadOnly(true);
    sample.rows.moveFirst();
    sample.encoding = reader.encoding();
    sample.ok = true;
    return sample;
}
