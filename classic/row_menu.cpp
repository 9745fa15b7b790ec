#include "classic/row_menu.h"

#include "classic/flexgrid.h"
#include "classic/msgbox.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace
{

class RowMenu : public QObject
{
public:
    RowMenu(FlexGrid *grid, const QString &item, std::function<bool(int)> offered,
            std::function<void(int)> chosen)
        : QObject(grid), m_grid(grid), m_item(item), m_offered(std::move(offered)),
          m_chosen(std::move(chosen))
    {
        grid->installEventFilter(this);
        grid->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ContextMenu) {
            const auto *request = static_cast<QContextMenuEvent *>(event);
            // The mouse's request comes to the cells' area, at the pointer;
            // the Menu key's to the focused grid, at wherever the pointer is.
            if (request->reason() == QContextMenuEvent::Mouse) {
                if (watched != m_grid->viewport())
                    return false;
                const QModelIndex at = m_grid->indexAt(request->pos());
                if (at.isValid()) {
                    m_grid->setCurrentIndex(at);
                    Guarded([&] { open(at, request->globalPos(), false); });
                }
            } else {
                Guarded([&] { openAtCurrent(); });
            }
            return true;
        }
        if (watched == m_grid && event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
                Guarded([&] { openAtCurrent(); });
                return true;
            }
        }
        return false;
    }

private:
    void openAtCurrent()
    {
        const QModelIndex current = m_grid->currentIndex();
        if (!current.isValid())
            return;
        m_grid->scrollTo(current);
        const QRect cell = m_grid->visualRect(current);
        open(current, m_grid->viewport()->mapToGlobal(cell.bottomLeft()), true);
    }

    void open(const QModelIndex &at, const QPoint &where, bool byKeyboard)
    {
        const auto *model = qobject_cast<const FlexGridModel *>(m_grid->model());
        const int row = at.row() + (model ? model->headerRow() : 0);
        if (!m_offered(row))
            return;
        QMenu menu(m_grid);
        QAction *action = menu.addAction(m_item);
        // From the keyboard the item starts highlighted, so Return picks it
        // and a screen reader names it at once.
        if (byKeyboard)
            menu.setActiveAction(action);
        if (menu.exec(where, byKeyboard ? action : nullptr) == action)
            m_chosen(row);
    }

    FlexGrid *m_grid;
    QString m_item;
    std::function<bool(int)> m_offered;
    std::function<void(int)> m_chosen;
};

} // namespace

void InstallRowMenu(FlexGrid *grid, const QString &item, std::function<bool(int row)> offered,
                    std::function<void(int row)> chosen)
{
    new RowMenu(grid, item, std::move(offered), std::move(chosen)); // owned by the grid
}
