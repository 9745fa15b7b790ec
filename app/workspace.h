#pragma once
#include <QMdiArea>
#include <QPixmap>

// The main window's workspace: white, with the logo drawn once, unscaled, at
// its top-left corner.
class Workspace : public QMdiArea
{
    Q_OBJECT
public:
    explicit Workspace(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_logo;
};
