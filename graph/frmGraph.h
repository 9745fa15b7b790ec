#pragma once
#include "classic/form.h"
#include "ui_frmGraph.h"

#include <QWidget>

// The trend graph: the current patient's BMI by date between the reference
// lines at 25 and 20. The chart is filled once per load; showing an open window
// again only raises it.
class frmGraph : public DesignedForm<Ui::frmGraph, QWidget>
{
    Q_OBJECT
public:
    Ui::frmGraph &ui() { return *m_ui; }

    // A measurement deleted in the BMI window redraws an open graph.
    void Requery() override
    {
        if (IsLoaded())
            Form_Load();
    }

protected:
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
};
