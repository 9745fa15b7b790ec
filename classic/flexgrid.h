#pragma once
// The grid of the history and patient lists: a fixed header row (row 0) and a
// fixed numbering column (column 0), set up and filled cell by cell through a
// current row and column, the way the windows' handlers expect.
//
// Writes go to the grid's own storage; the view learns of them once, at the
// end of the running event (or at Refresh), so filling thousands of cells
// costs one model reset, not a repaint per cell.
#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QString>
#include <QTableView>
#include <vector>

class FlexGrid;

// The part of the grid below the header row and right of the numbering
// column; the fixed row and column are the view's own headers.
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

    // Makes the dimensions and texts written so far the ones the view sees.
    void publish();
    int headerRow() const { return m_headerRow; }
    int headerCol() const { return m_headerCol; }

private:
    const FlexGrid &m_grid;
    // Published counts: the view's headers show grid row 0 and column 0 when
    // they are fixed; the model holds the rest.
    int m_rows = 0;
    int m_cols = 0;
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

    int Rows() const { return m_rows; }
    void setRows(int rows);
    int Cols() const { return m_cols; }
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

    int ColWidth(int col) const;

    // Shows what has been written now instead of at the end of the event.
    void Refresh();

    // QString::number(n) for the running numbers of a list, shared between
    // fills: every search writes 1, 2, 3 … again.
    static QString numberText(int n);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void changed();
    void resizeStorage(int rows, int cols);
    int index(int row, int col) const { return row * m_cols + col; }
    void checkCell(int row, int col) const;
    void userMoved(const QModelIndex &current);
    void paintCorner(QWidget *corner);
    void tellCurrentCell();

    FlexGridModel *m_model;
    QWidget *m_corner = nullptr;
    std::vector<QString> m_cells; // row by row
    std::vector<int> m_widths;    // pixels; 0 = the standard width
    QString m_format;
    QString m_measuredFormat; // the widths of its columns' headers in m_measuredFont
    QFont m_measuredFont;
    std::vector<int> m_measuredWidths;
    int m_rows = 2;
    int m_cols = 2;
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    int m_row = 1;
    int m_col = 1;
    int m_rowSel = 1;
    bool m_pending = false;

    friend class FlexGridModel;
};
