#include "classic/flexgrid.h"

#include "classic/msgbox.h"
#include "db/display_text.h"
#include "db/errors.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QTimer>

namespace
{
// The numbers and texts the grid controls of the platform used for a cell
// outside the grid; a handler that asks for one ends with this error.
constexpr int InvalidRow = 30009;
constexpr int InvalidCol = 30010;

constexpr int StandardColWidth = 64; // 960 twips
constexpr int RowHeight = 16;        // 240 twips

} // namespace

FlexGridModel::FlexGridModel(const FlexGrid &grid, QObject *parent)
    : QAbstractTableModel(parent), m_grid(grid)
{
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownRows - m_headerRow;
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownCols - m_headerCol;
}

QString FlexGridModel::text(int row, int col) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        return QString();
    return std::visit(
        [](const auto &value) {
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QString>)
                return value;
            else
                return merivex::displayText(merivex::FieldValue(value));
        },
        m_cells[at(row, col)]);
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row() + m_headerRow;
    const int col = index.column() + m_headerCol;
    switch (role) {
    case Qt::DisplayRole:
        return text(row, col);
    case Qt::BackgroundRole:
        // Fixed rows and columns beyond the headers still look fixed.
        if (row < m_grid.FixedRows() || col < m_grid.FixedCols())
            return QBrush(m_grid.palette().color(QPalette::Button));
        return QBrush(m_grid.palette().color(QPalette::Base));
    case Qt::TextAlignmentRole: {
        // Numbers to the right, other texts to the left.
        bool number = false;
        text(row, col).toDouble(&number);
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    default:
        return QVariant();
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter | Qt::AlignLeft);
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return m_headerRow ? text(0, section + m_headerCol) : QString();
    return m_headerCol ? text(section + m_headerRow, 0) : QString();
}

void FlexGridModel::resize(int rows, int cols)
{
    if (cols != m_cols) {
        // Rebuilt in the same buffer: a grid refilled again and again (every
        // resize searches anew) then allocates nothing once it has grown.
        const int keepRows = std::min(rows, m_rows);
        const int keepCols = std::min(cols, m_cols);
        std::vector<FlexGridCell> kept;
        kept.reserve(std::size_t(keepRows) * std::size_t(keepCols));
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                kept.push_back(std::move(m_cells[at(r, c)]));
        m_cells.assign(std::size_t(rows) * std::size_t(cols), FlexGridCell());
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                m_cells[std::size_t(r) * cols + c] = std::move(kept[std::size_t(r) * keepCols + c]);
    } else {
        m_cells.resize(std::size_t(rows) * std::size_t(cols));
    }
    m_keys.resize(std::size_t(rows));
    m_rows = rows;
    m_cols = cols;
}

void FlexGridModel::reserve(int rows)
{
    m_cells.reserve(std::size_t(rows) * std::size_t(m_cols));
    m_keys.reserve(std::size_t(rows));
}

void FlexGridModel::setCell(int row, int col, FlexGridCell value)
{
    m_cells[at(row, col)] = std::move(value);
}

void FlexGridModel::clearCells()
{
    std::fill(m_cells.begin(), m_cells.end(), FlexGridCell());
}

void FlexGridModel::putRow(int row, std::span<merivex::FieldValue> values,
                           std::optional<qint64> key)
{
    const std::size_t first = at(row, 0);
    for (std::size_t c = 0; c < values.size() && c < std::size_t(m_cols); ++c)
        m_cells[first + c] =
            std::visit([](auto &v) { return FlexGridCell(std::move(v)); }, values[c]);
    m_keys[std::size_t(row)] = key;
}

void FlexGridModel::publish()
{
    beginResetModel();
    m_shownRows = m_rows;
    m_shownCols = m_cols;
    m_headerRow = m_grid.FixedRows() > 0 && m_rows > 0 ? 1 : 0;
    m_headerCol = m_grid.FixedCols() > 0 && m_cols > 0 ? 1 : 0;
    endResetModel();
}

void FlexGridModel::publishAppended()
{
    if (m_rows <= m_shownRows || m_rows == 0)
        return;
    // The former last row, empty until now, holds the first new row.
    const int filled = m_shownRows - 1 - m_headerRow;
    beginInsertRows(QModelIndex(), m_shownRows - m_headerRow, m_rows - 1 - m_headerRow);
    m_shownRows = m_rows;
    endInsertRows();
    if (filled >= 0) {
        emit dataChanged(index(filled, 0), index(filled, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, filled, filled);
    }
}

bool FlexGridModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_fetch;
}

void FlexGridModel::fetchMore(const QModelIndex &parent)
{
    // A copy: the reading may end, and clear m_fetch, while it runs.
    if (const std::function<void()> fetch = m_fetch; !parent.isValid() && fetch)
        fetch();
}

FlexGrid::FlexGrid(QWidget *parent) : QTableView(parent), m_model(new FlexGridModel(*this, this))
{
    resizeStorage(2, 2);
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    // Tab leaves the grid, as it leaves every other control; the arrow keys
    // move within it.
    setTabKeyNavigation(false);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(192, 192, 192); }"));

    setHorizontalHeader(new FlexGridHeader(Qt::Horizontal, this));
    setVerticalHeader(new FlexGridHeader(Qt::Vertical, this));
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setMinimumSectionSize(1);
        header->setHighlightSections(false);
        header->setDefaultAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    }
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setFixedHeight(RowHeight);
    horizontalHeader()->setDefaultSectionSize(StandardColWidth);

    // The scroll area filters its own scroll bars' events too, so the corner
    // is told apart by its address.
    m_corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner)
        m_corner->installEventFilter(this);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { userMoved(current); });
    Refresh();
}

void FlexGrid::Clear()
{
    m_model->clearCells();
    changed();
}

void FlexGrid::resizeStorage(int rows, int cols)
{
    m_model->resize(rows, cols);
    m_widths.resize(size_t(cols), 0);
    m_fixedRows = std::min(m_fixedRows, rows);
    m_fixedCols = std::min(m_fixedCols, cols);
    m_row = std::clamp(m_row, 0, std::max(rows - 1, 0));
    m_col = std::clamp(m_col, 0, std::max(cols - 1, 0));
    m_rowSel = std::clamp(m_rowSel, 0, std::max(rows - 1, 0));
}

void FlexGrid::setRows(int rows)
{
    if (rows < 0)
        throw merivex::Error(InvalidRow, QStringLiteral("Invalid Row value"));
    resizeStorage(rows, Cols());
    changed();
}

void FlexGrid::setCols(int cols)
{
    if (cols < 0)
        throw merivex::Error(InvalidCol, QStringLiteral("Invalid Col value"));
    resizeStorage(Rows(), cols);
    changed();
}

void FlexGrid::setFixedRows(int rows)
{
    if (rows < 0 || rows > Rows())
        throw merivex::Error(InvalidRow, QStringLiteral("Invalid FixedRows value"));
    m_fixedRows = rows;
    changed();
}

void FlexGrid::setFixedCols(int cols)
{
    if (cols < 0 || cols > Cols())
        throw merivex::Error(InvalidCol, QStringLiteral("Invalid FixedCols value"));
    m_fixedCols = cols;
    changed();
}

void FlexGrid::setFormatString(const QString &format)
{
    QStringList headers = format.split(QLatin1Char('|'));
    if (headers.size() > 1 && headers.last().isEmpty())
        headers.removeLast();
    if (Rows() == 0)
        resizeStorage(1, Cols());
    resizeStorage(Rows(), int(headers.size()));
    // Measuring text is slow and every search sets the same format again.
    if (format != m_measuredFormat || font() != m_measuredFont) {
        const QFontMetrics metrics(font());
        const int margins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
        m_measuredWidths.clear();
        for (const QString &header : headers)
            m_measuredWidths.push_back(metrics.horizontalAdvance(header) + margins);
        m_measuredFormat = format;
        m_measuredFont = font();
    }
    for (int c = 0; c < Cols(); ++c) {
        m_model->setCell(0, c, headers[c]);
        m_widths[c] = m_measuredWidths[size_t(c)];
    }
    m_format = format;
    changed();
}

void FlexGrid::checkCell(int row, int col) const
{
    if (row < 0 || row >= Rows())
        throw merivex::Error(InvalidRow, QStringLiteral("Invalid Row value"));
    if (col < 0 || col >= Cols())
        throw merivex::Error(InvalidCol, QStringLiteral("Invalid Col value"));
}

void FlexGrid::setRow(int row)
{
    if (row < 0 || row >= Rows())
        throw merivex::Error(InvalidRow, QStringLiteral("Invalid Row value"));
    m_row = row;
    m_rowSel = row;
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= Cols())
        throw merivex::Error(InvalidCol, QStringLiteral("Invalid Col value"));
    m_col = col;
}

void FlexGrid::setText(const QString &text)
{
    setTextMatrix(m_row, m_col, text);
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    return m_model->text(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    checkCell(row, col);
    m_model->setCell(row, col, text);
    changed();
}

void FlexGrid::addRow(std::span<merivex::FieldValue> values, std::optional<qint64> key)
{
    if (std::ssize(values) > Cols())
        throw merivex::Error(InvalidCol, QStringLiteral("Invalid Col value"));
    m_model->putRow(m_row, values, key);
    resizeStorage(Rows() + 1, Cols());
    m_row = m_rowSel = Rows() - 1;
    changed();
}

void FlexGrid::reserveRows(int rows)
{
    m_model->reserve(rows);
}

std::optional<qint64> FlexGrid::rowKey(int row) const
{
    if (row < 0 || row >= Rows())
        return std::nullopt;
    return m_model->key(row);
}

int FlexGrid::ColWidth(int col) const
{
    if (col < 0 || col >= Cols())
        throw merivex::Error(InvalidCol, QStringLiteral("Invalid Col value"));
    return m_widths[col] > 0 ? m_widths[col] : StandardColWidth;
}

void FlexGrid::setFetchMore(std::function<bool()> more)
{
    m_more = std::move(more);
    m_model->setFetcher(m_more ? std::function<void()>([this] { fetchRows(); }) : nullptr);
}

void FlexGrid::fetchRows()
{
    if (!m_more || m_fetching)
        return;
    // The rows go after the last, wherever the user is; the user stays there.
    const int row = m_row, rowSel = m_rowSel;
    m_row = Rows() - 1;
    bool more = false;
    m_fetching = true;
    Guarded([&] { more = m_more(); });
    m_fetching = false;
    m_row = row;
    m_rowSel = rowSel;
    if (!more)
        setFetchMore(nullptr);
    // Written before any refill was asked for, the rows go out as an
    // insertion; otherwise with the refill.
    if (!m_pending)
        m_model->publishAppended();
}

void FlexGrid::changed()
{
    if (m_pending || m_fetching)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, &FlexGrid::Refresh, Qt::QueuedConnection);
}

void FlexGrid::Refresh()
{
    m_pending = false;
    m_model->publish();
    const int headerCol = m_model->headerCol();
    horizontalHeader()->setVisible(m_model->headerRow() != 0);
    verticalHeader()->setVisible(headerCol != 0);
    for (int c = headerCol; c < Cols(); ++c)
        horizontalHeader()->resizeSection(c - headerCol, ColWidth(c));
    if (headerCol)
        verticalHeader()->setFixedWidth(ColWidth(0));
    // The corner is the numbering column's header.
    if (m_corner)
        m_corner->setAccessibleName(TextMatrix(0, 0).trimmed());
    viewport()->update();
}

void FlexGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    // Reached by the keyboard, the grid starts on its first row, which the
    // arrow keys move from and the selected row follows.
    if (!currentIndex().isValid() && m_model->rowCount() > 0 && m_model->columnCount() > 0)
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
    // The view tells of the cell it lands on before the grid itself has the
    // focus, so a screen reader hears only the grid; the cell is told again.
    QTimer::singleShot(0, this, [this] { tellCurrentCell(); });
}

void FlexGrid::tellCurrentCell()
{
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid() || !QAccessible::isActive())
        return;
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface *table = grid ? grid->tableInterface() : nullptr;
    QAccessibleInterface *cell = table ? table->cellAt(current.row(), current.column()) : nullptr;
    if (!cell)
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(grid->indexOfChild(cell));
    QAccessible::updateAccessibility(&focus);
}

void FlexGrid::userMoved(const QModelIndex &current)
{
    if (!current.isValid())
        return;
    const int row = current.row() + m_model->headerRow();
    const int col = current.column() + m_model->headerCol();
    if (row >= Rows() || col >= Cols())
        return;
    m_row = row;
    m_col = col;
    m_rowSel = row;
}

bool FlexGrid::eventFilter(QObject *watched, QEvent *event)
{
    // The corner is cell (0, 0): the numbering column's header.
    if (watched == m_corner && event->type() == QEvent::Paint) {
        paintCorner(m_corner);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void FlexGrid::paintEvent(QPaintEvent *event)
{
    // Beyond the last column and row the control shows its own background;
    // the cells paint theirs over it.
    {
        QPainter painter(viewport());
        const QRect cells(0, 0, horizontalHeader()->length() - horizontalOffset(),
                          verticalHeader()->length() - verticalOffset());
        const QRegion outside = QRegion(viewport()->rect()) - QRegion(cells);
        for (const QRect &r : outside)
            painter.fillRect(r, BackColorBkg);
    }
    QTableView::paintEvent(event);
}

void FlexGridHeader::paintEvent(QPaintEvent *event)
{
    QHeaderView::paintEvent(event); // the style's empty area, painted over below
    QRect beyond = viewport()->rect();
    const int end = length() - offset();
    if (orientation() == Qt::Horizontal)
        beyond.setLeft(end);
    else
        beyond.setTop(end);
    if (beyond.isValid()) {
        QPainter painter(viewport());
        painter.fillRect(beyond, FlexGrid::BackColorBkg);
    }
}

QSize FlexGridHeader::sizeHint() const
{
    if (orientation() == Qt::Vertical && minimumWidth() == maximumWidth())
        return QSize(minimumWidth(), defaultSectionSize());
    if (orientation() == Qt::Horizontal && minimumHeight() == maximumHeight())
        return QSize(defaultSectionSize(), minimumHeight());
    return QHeaderView::sizeHint();
}

void FlexGrid::paintCorner(QWidget *corner)
{
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.palette = palette(); // the corner takes no clicks, yet reads as enabled
    option.rect = corner->rect();
    option.state = QStyle::State_Raised | QStyle::State_Enabled;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = TextMatrix(0, 0);
    option.textAlignment = Qt::AlignVCenter | Qt::AlignLeft;
    QPainter painter(corner);
    style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
}
