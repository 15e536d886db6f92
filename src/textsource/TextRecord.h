#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include "core/Recordset.h"

// Column names are matched without regard to case, and the Turkish dotted
// and dotless i count as one letter, so [##ADI##] finds the column "adı"
// and [##ADİ##] the column "adi".
bool ColumnNamesMatch(QStringView a, QStringView b);

struct TextColumn {
    QString name;
    FieldType type = FieldType::Text; // Integer, Double or Text
};
using TextColumns = std::vector<TextColumn>;

// "integer", "double" or "text": a column's type as parlex-cli read lists it.
QString TextColumnTypeName(FieldType type);

int FindColumn(const TextColumns& columns, QStringView name); // -1 when missing

// One record of a data file: its values in column order, each Null (an
// empty field), a whole number (qint64), a decimal (double) or a text. A
// value that did not fit its column's type is its text. Copies are
// independent of the reader.
class TextRecord {
public:
    TextRecord();

    int size() const { return static_cast<int>(m_cells.size()); }
    const TextColumns& columns() const { return *m_columns; }
    // The same, shared by every row of a file: who keeps it knows a later
    // row's columns for the same by address.
    const std::shared_ptr<const TextColumns>& sharedColumns() const { return m_columns; }
    int columnIndex(QStringView name) const { return FindColumn(*m_columns, name); }

    // A Null value for an index or name that is not there.
    QVariant value(int index) const;
    QVariant value(QStringView name) const { return value(columnIndex(name)); }
    std::vector<QVariant> values() const;
    bool isNull(int index) const;
    // As the program shows it: numbers in the regional format, Null empty.
    QString text(int index) const;
    void appendText(int index, QString& out) const;
    // As the file wrote it, a number too ("150,50", "007"); Null empty.
    void appendWrittenText(int index, QString& out) const;
    // About as many characters as the file's line of the record held, its
    // separators and line break counted as one each.
    qsizetype writtenLength() const;
    // A whole number's value, when the value is one.
    bool isWholeNumber(int index) const;
    qint64 wholeNumber(int index) const;

private:
    friend void FillTextRecord(TextRecord& record,
                               const std::shared_ptr<const TextColumns>& columns,
                               const std::vector<QStringView>& raw, QStringView separator);
    friend class DelimitedReader;
    friend class MessageTemplate;
    friend void GsmNumberInto(const TextRecord& row, int gsmColumn, QString& out);

    // Plain cells rather than variants: a file of a million rows makes
    // millions of them, and a text cell's buffer is reused for the next row
    // unless a copy of the record still holds it.
    struct Cell {
        enum class Kind : quint8 { Null, Text, Integer, Double };
        Kind kind = Kind::Null;
        bool asWritten = false; // a number shown by its text, which is exactly that
        qint64 integer = 0;
        double number = 0;
        QString text; // the field as written, for a number too
    };

    std::shared_ptr<const TextColumns> m_columns;
    std::vector<Cell> m_cells;
};

// Names `count` columns from a header row's texts (shorter or empty when
// there is none): the text without surrounding blanks, F and the position
// for an empty one, "_" and the position appended until it is unique.
TextColumns NamedColumns(const std::vector<QString>& header, size_t count);

// Fills `record` with one row's fields as written, typed by `columns`: an
// empty field is Null, a value that does not fit its column's type is its
// text. Fields past the last column stay in its value, joined by
// `separator` (empty trailing ones are dropped), so nothing of a row is lost.
// A text cell's buffer is reused when no copy of the record holds it.
void FillTextRecord(TextRecord& record, const std::shared_ptr<const TextColumns>& columns,
                    const std::vector<QStringView>& raw, QStringView separator);

// The values as one line, joined by `separator`, a Null written as nothing:
// what goes into a reject file.
QString JoinedValues(const TextRecord& record, QStringView separator);
// The same into `line`, whose buffer is reused.
void JoinedValuesInto(const TextRecord& record, QStringView separator, QString& line);
// The column names joined by `separator`: a reject file's header line.
QString JoinedNames(const TextColumns& columns, QStringView separator);
