#pragma once
// A context menu of one item on the rows of a grid, reached by the right
// mouse button on a row, and by the Menu key or Shift+F10 on the focused
// grid, which act on its current row. Rows are those of the grid (1 = the
// first row below the header).
#include <QString>

#include <functional>

class FlexGrid;

// offered(row) says whether the row has the item; chosen(row) runs when the
// user picks it. A failure of either is reported as a handler's is.
void InstallRowMenu(FlexGrid *grid, const QString &item, std::function<bool(int row)> offered,
                    std::function<void(int row)> chosen);
