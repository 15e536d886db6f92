#pragma once

#include <optional>

#include <QString>

// The description file that tells the reader how the files of a folder are
// laid out. The program rewrites it every time it reads a folder, with the
// separator and header setting of the file or rule being read.

inline const QString SchemaFileName = QStringLiteral("Schema.ini");

// How one data file is laid out.
struct TextFormat {
    QString separator = QStringLiteral(","); // may be empty or several characters
    bool header = false;                     // the first line names the columns
    int maxScanRows = 25;                    // rows that decide the column types
    QString characterSet = QStringLiteral("ANSI");
};

// Describes every file of `folder` (except Schema.ini itself) in
// folder/Schema.ini: separator "T" means tab, any other text is written as
// it is; header flag "E" means a header line, anything else none. Failures
// are shown in the "Şema bilgisi" box; the caller always goes on.
void WriteSchemaIni(const QString& folder, const QString& separator, const QString& headerFlag);
// The same without a box, for what runs unattended: why the file could not
// be written, or an empty text.
QString TryWriteSchemaIni(const QString& folder, const QString& separator,
                          const QString& headerFlag);

// The layout that separator and header flag describe, as WriteSchemaIni
// writes it.
TextFormat RuleTextFormat(const QString& separator, const QString& headerFlag);

// The section written for `fileName` in folder/Schema.ini. Without one,
// std::nullopt and a message in `error`.
std::optional<TextFormat> ReadSchemaSection(const QString& folder, const QString& fileName,
                                            QString* error = nullptr);

// A path chosen in the open dialog, split at its last separator: the folder
// keeps the separator at its end ("/home/ali/" and "liste.txt", "/" for a
// file in the root).
struct ChosenPath {
    QString folder;
    QString file;
};
ChosenPath SplitChosenPath(const QString& path);
