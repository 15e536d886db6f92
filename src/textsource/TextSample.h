#pragma once

#include <QString>

#include "CodePage.h"
#include "core/Recordset.h"

// The first rows of a data file as a read-only recordset, for the sample
// grids and the field lists: one field per column, typed as the reader
// typed it, the cursor on the first row.
struct TextSample {
    bool ok = false;
    QString error; // why the file could not be read, when !ok
    TextEncoding encoding = TextEncoding::Windows1254;
    Recordset rows;
};

// folder/fileName as folder/Schema.ini describes it; at most `maxRows` rows
// (all of them when negative).
TextSample LoadTextSample(const QString& folder, const QString& fileName, int maxRows);
