#include "window/lockertypeselection.h"
#include "ui_lockertypeselection.h"

LockerTypeSelection::LockerTypeSelection(QWidget* parent)
    : CenteredDialog(parent)
    , type(1)
    , ui(std::make_unique<Ui::LockerTypeSelection>())
{
    ui->setupUi(this);
}

LockerTypeSelection::~LockerTypeSelection() = default;

void LockerTypeSelection::on_pushOk_clicked()
{
    if (ui->radioWeb->isChecked())
        type = 1;
    else if (ui->radioBank->isChecked())
        type = 2;
    else if (ui->radioDiary->isChecked())
        type = 3;
    close();
}

void LockerTypeSelection::on_pushWeb_clicked()
{
    ui->radioWeb->setChecked(true);
}

void LockerTypeSelection::on_pushBank_clicked()
{
    ui->radioBank->setChecked(true);
}

void LockerTypeSelection::on_pushNotes_clicked()
{
    ui->radioDiary->setChecked(true);
}
