#pragma once
#include "classic/form.h"

#include <QWidget>

#include <memory>

namespace Ui
{
class frmGraph;
}

// The trend graph: the current patient's BMI by date between the reference
// lines at 25 and 20. The chart is filled once per load; showing an open window
// again only raises it. Its chart is the child widget named "GraphLite1".
//
// Beside the designed window, from the chart's context menu and its keys (T
// the trend, P the next period, Left/Right/Home/End a point, the Menu key or
// Shift+F10 the menu): a smoothed trend with where it heads, a period of the
// last days, and the points one by one for a screen reader.
class frmGraph : public Form
{
    Q_OBJECT
public:
    frmGraph();
    ~frmGraph() override;

    // A measurement deleted in the BMI window redraws an open graph.
    void Requery() override
    {
        if (IsLoaded())
            Form_Load();
    }

protected:
    std::unique_ptr<QWidget> build() override;
    void teardown() override;
    void connectHandlers() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(int &cancel) override;
    void Form_Terminate() override;

private:
    // Beside the designed window: its context menu prints the report for a
    // doctor or saves it as a PDF.
    void printReport();
    void saveReportAsPdf();

    struct History;
    // How many days back the chart shows; 0: all.
    static constexpr int Periods[] = {0, 30, 90, 365};
    void showMenu(const QPoint &at);
    bool chartKey(int key, Qt::KeyboardModifiers modifiers);
    void setTrendShown(bool shown);
    void setPeriod(int days);
    void walk(int key);
    // Draws the chart for the period and the trend; returns the points shown.
    int drawChart();
    QString spokenPoint(int shownPoint) const;

    std::unique_ptr<History> m_history;
    bool m_trendShown = false;
    int m_periodDays = 0;
    int m_current = -1; // the walked point among those shown; -1: none yet

    std::unique_ptr<Ui::frmGraph> m_ui;
};
