#pragma once

#include <memory>
#include <stdexcept>
#include <vector>

#include <QString>
#include <QStringList>
#include <QVariant>

// An in-memory table: named, typed, sized fields, nullable values and a
// cursor. It stands in for both the disconnected recordsets the program
// builds (the basket, package and status lists) and the static read-only
// results of a database query. Clones share the rows and keep their own
// cursor and filter.
class RecordsetError : public std::runtime_error {
public:
    explicit RecordsetError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
};

enum class FieldType { Text, Integer, Double, DateTime };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // characters for text fields; 0 = no limit
};

class Recordset {
public:
    Recordset();

    // Structure; only while the recordset holds no rows.
    void appendField(const QString& name, FieldType type = FieldType::Text, int size = 0);
    int fieldCount() const;
    const FieldDef& field(int index) const;
    QStringList fieldNames() const;
    int fieldIndex(const QString& name) const; // case-insensitive, -1 when missing

    // Rows
    void addNew(); // appends an empty row and makes it current
    void setValue(int index, const QVariant& value);
    void setValue(const QString& name, const QVariant& value);
    void appendRow(std::vector<QVariant> values); // checked like setValue
    void deleteAll();
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;

    // Reading the current row
    QVariant value(int index) const;
    QVariant value(const QString& name) const;
    bool isNull(int index) const;
    bool isNull(const QString& name) const;
    QString text(int index) const; // Null reads as the empty text
    QString text(const QString& name) const;

    // Cursor over the visible (filtered) rows
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    bool bof() const;
    bool eof() const;
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    int absolutePosition() const; // 1-based; 0 before the first or after the last row
    void setAbsolutePosition(int position);

    // Filter of the form  Field = 'x' OR Field = 'y'; empty clears it.
    void setFilter(const QString& filter);
    QString filter() const;

    // Paging
    void setPageSize(int size);
    int pageSize() const;
    int pageCount() const;
    int absolutePage() const; // 1-based page of the current row, 0 when none
    void setAbsolutePage(int page);

    Recordset clone() const;

    // Value as shown in grids and texts: numbers as they are, date-times in
    // the regional format.
    static QString render(const QVariant& value);

private:
    struct Data;
    struct Condition {
        int field;
        QString value;
    };

    int rowOf(int visiblePosition) const;
    void refreshView() const;
    const QVariant& cell(int index) const;
    QVariant checked(int index, const QVariant& value) const;
    int requireField(const QString& name) const;

    std::shared_ptr<Data> d;
    QString m_filter;
    std::vector<Condition> m_conditions;
    mutable std::vector<int> m_view; // row indices passing the filter
    mutable quint64 m_viewGeneration = ~quint64(0);
    int m_position = -1; // index into the visible rows; -1 = BOF, count = EOF
    int m_pageSize = 10;
};
