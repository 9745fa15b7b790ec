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

    std::unique_ptr<Ui::frmGraph> m_ui;
};
