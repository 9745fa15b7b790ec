#pragma once
#include "app/form.h"
#include "ui_frmGraph.h"

#include <QWidget>

// The trend graph: the current patient's BMI by date between the reference
// lines at 25 and 20. The chart is filled once per load; showing an open window
// again only raises it.
// The window's client. It has no layout, so it tells the workspace its
// designer size: the frame is sized from that when it opens.
class GraphClient : public QWidget
{
public:
    void keepDesignSize() { m_designSize = size(); }
    QSize sizeHint() const override { return m_designSize; }

private:
    QSize m_designSize;
};

class frmGraph : public DesignedForm<Ui::frmGraph, GraphClient>
{
    Q_OBJECT
public:
    Ui::frmGraph &ui() { return *m_ui; }

protected:
    std::unique_ptr<QWidget> build() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(int &cancel) override;
    void Form_Terminate() override;
};
