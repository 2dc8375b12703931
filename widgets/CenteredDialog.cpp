#include "widgets/CenteredDialog.h"

#include <QDebug>

CenteredDialog::CenteredDialog(QWidget* parent)
    : QDialog(parent)
    , keepCentered(true)
{
}

void CenteredDialog::showEvent(QShowEvent* event)
{
    qDebug() << "show event called";
    activateWindow();
    QDialog::showEvent(event);
    if (parentWidget())
        CenterOn(this, parentWidget());
}

void CenteredDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    qDebug() << "Resize event called";
}

void CenterOn(QWidget* window, const QWidget* around)
{
    window->move(around->x() + around->width() / 2 - window->width() / 2,
                 around->y() + around->height() / 2 - window->height() / 2);
}
