#include "app/workspace.h"

#include <QPaintEvent>
#include <QPainter>

Workspace::Workspace(QWidget *parent)
    : QMdiArea(parent), m_logo(QStringLiteral(":/pictures/logo.jpg"))
{
    setBackground(Qt::white);
}

void Workspace::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::white);
    painter.drawPixmap(0, 0, m_logo);
}
