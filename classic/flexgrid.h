#pragma once
// The grid of the history and patient lists: a fixed header row (row 0) and a
// fixed numbering column (column 0), set up and filled cell by cell through a
// current row and column, the way the windows' handlers expect, or many rows
// at once.
//
// The cells live in the model as the values read from the file, each turned
// into text by the one display rule only when it is shown or asked for. The
// view learns of writes once, at the end of the running event (or at
// Refresh), so filling thousands of cells costs one model reset, not a
// repaint per cell.
#include "db/field_value.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QString>
#include <QTableView>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

class FlexGrid;

// A cell: a value read from the file, shown by the display rule, or a text
// written through the grid, shown as written.
using FlexGridCell = std::variant<std::monostate, qint64, double, std::string, QString>;

// Every cell of the grid, row by row, each row with a key the window can
// give it (an id read with the row, not shown). The view sees the part below
// the header row and right of the numbering column; the fixed row and column
// are the view's own headers.
class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit FlexGridModel(const FlexGrid &grid, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The grid's cells, whatever the view has been shown so far.
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    // Dimensions change keeping the cells that stay inside them.
    void resize(int rows, int cols);
    void reserve(int rows);               // room for rows at the present columns
    QString text(int row, int col) const; // empty outside the grid
    void setCell(int row, int col, FlexGridCell value);
    std::optional<qint64> key(int row) const { return m_keys[std::size_t(row)]; }
    void clearCells();
    // Row row takes values from column 0 and key.
    void putRow(int row, std::span<merivex::FieldValue> values, std::optional<qint64> key);

    // Makes the dimensions and cells written so far the ones the view sees.
    void publish();
    // Shows the rows added at the end since then, the rest unchanged, without
    // a reset that would lose the view's current cell.
    void publishAppended();
    // The view asks for more rows as it nears the end while fetch is set.
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    void setFetcher(std::function<void()> fetch) { m_fetch = std::move(fetch); }
    int headerRow() const { return m_headerRow; }
    int headerCol() const { return m_headerCol; }

private:
    std::size_t at(int row, int col) const { return std::size_t(row) * m_cols + col; }

    const FlexGrid &m_grid;
    std::vector<FlexGridCell> m_cells;
    std::vector<std::optional<qint64>> m_keys;
    std::function<void()> m_fetch;
    int m_rows = 0;
    int m_cols = 0;
    // Published counts: the view's headers show grid row 0 and column 0 when
    // they are fixed; the model holds the rest.
    int m_shownRows = 0;
    int m_shownCols = 0;
    int m_headerRow = 0;
    int m_headerCol = 0;
};

// A header that leaves the area beyond its last section in the grid's
// background colour, like the cells' area.
class FlexGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    using QHeaderView::QHeaderView;

    // The grid fixes both headers' breadth; Qt would otherwise measure the
    // texts of up to 200 sections after every refill to find it.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

class FlexGrid : public QTableView
{
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);

    // The colour of the control's area beyond the last column and row.
    static constexpr QColor BackColorBkg = QColor(128, 128, 128);

    // Every cell text becomes empty; the dimensions stay.
    void Clear();

    int Rows() const { return m_model->rows(); }
    void setRows(int rows);
    int Cols() const { return m_model->cols(); }
    void setCols(int cols);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows);
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int cols);

    // Bar-separated header texts of row 0, one column each (an empty piece
    // after a final bar makes no column); every column becomes as wide as its
    // header text, blanks included.
    void setFormatString(const QString &format);
    QString FormatString() const { return m_format; }

    // The current cell, which Text reads and writes.
    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);
    QString Text() const { return TextMatrix(m_row, m_col); }
    void setText(const QString &text);

    // The row the user last selected; setting Row moves it there too.
    int RowSel() const { return m_rowSel; }

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);

    // One row at once, as writing each cell with Text, then adding a row and
    // making it the current one would: the current row takes values from
    // column 0 (moved from) and key, and the grid grows by a row.
    void addRow(std::span<merivex::FieldValue> values, std::optional<qint64> key);
    // Room for rows rows made at once, for a caller that knows how many it
    // will add: growing row by row moves every cell again and again.
    void reserveRows(int rows);
    // Rows read as the view needs them, as QSqlQueryModel reads them: while
    // more is set, the view calls it when it nears the last row; more adds
    // rows with addRow and says whether any may follow. An error it raises
    // is reported as a handler's is, and ends the reading.
    void setFetchMore(std::function<bool()> more);
    // The key addRow gave the row; none for any other row.
    std::optional<qint64> rowKey(int row) const;

    int ColWidth(int col) const;

    // Shows what has been written now instead of at the end of the event.
    void Refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void changed();
    void fetchRows();
    void resizeStorage(int rows, int cols);
    void checkCell(int row, int col) const;
    void userMoved(const QModelIndex &current);
    void paintCorner(QWidget *corner);
    void tellCurrentCell();

    FlexGridModel *m_model;
    QWidget *m_corner = nullptr;
    std::vector<int> m_widths; // pixels; 0 = the standard width
    QString m_format;
    QString m_measuredFormat; // the widths of its columns' headers in m_measuredFont
    QFont m_measuredFont;
    std::vector<int> m_measuredWidths;
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    int m_row = 1;
    int m_col = 1;
    int m_rowSel = 1;
    bool m_pending = false;
    bool m_fetching = false;
    std::function<bool()> m_more;

    friend class FlexGridModel;
};
