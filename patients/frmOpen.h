#pragma once
#include "classic/form.h"

#include <QWidget>

namespace Ui
{
class frmOpen;
}
extern template class DesignedForm<Ui::frmOpen, QWidget>;

// The list of registered patients; the one chosen becomes the current patient.
// The search criteria below the list are shown but do nothing.
class frmOpen : public DesignedForm<Ui::frmOpen, QWidget>
{
    Q_OBJECT
public:
    // Index is the member of the Select button array; there is only member 0.
    void cmdSelect_Click(int Index);
    void cmdCancel_Click();

protected:
    void connectHandlers() override;
    void Form_Load() override;

private:
    // Rows read at once: more than a screenful.
    static constexpr int PartRows = 256;
    void search();
    bool addRows(qint64 first);
    qint16 m_counter = 0; // the running number of the last row shown
};
