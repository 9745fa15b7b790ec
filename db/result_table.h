#pragma once
// The rows of a statement, read in full: one compact cell per value and all
// texts in one buffer, so that reading many rows costs few allocations.
#include "db/conversion.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <string>
#include <vector>

struct sqlite3_stmt;

namespace merivex
{

struct ResultColumn {
    QString name;   // as the select list names it
    QString table;  // base table, empty for an expression
    QString origin; // base column, empty for an expression
    convert::Affinity affinity = convert::Affinity::Any;
};

struct ResultTable {
    std::vector<ResultColumn> columns;

    // Steps the prepared statement to its end; raises on failure.
    void read(sqlite3_stmt *stmt);

    qsizetype rowCount() const { return columns.empty() ? 0 : qsizetype(m_cells.size()) / width(); }
    QVariant value(qsizetype row, int column) const;
    void appendRow(const std::vector<QVariant> &values);

    // The one base table when every column is a plain column of it.
    QString singleTable() const;

private:
    struct Cell {
        enum Kind : unsigned char { Null, Integer, Real, Text } kind = Null;
        union {
            qint64 integer = 0;
            double real;
            struct {
                quint32 offset, size;
            } text;
        };
    };
    qsizetype width() const { return qsizetype(columns.size()); }
    void appendText(Cell *cell, const char *data, std::size_t size);

    std::vector<Cell> m_cells; // row after row
    std::string m_texts;       // UTF-8
};

} // namespace merivex
