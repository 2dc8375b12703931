#include "entries/bankidmanagement.h"
#include "ui_bankidmanagement.h"

#include "entries/addeditbankid.h"
#include "entries/bankidmodel.h"

BankIdManagement::BankIdManagement(const QString& openedLockerId, const QString& lockerName, QWidget* parent)
    : EntryListDialog(2, openedLockerId, parent)
    , ui(std::make_unique<Ui::BankIdManagement>())
{
    ui->setupUi(this);
    ui->labelHeading->setText(lockerName + tr(" - SECURE BANK CARDS"));
    SetUp({ui->tableViewIds, ui->scrollArea, ui->pushBack, ui->label}, new BankIDModel(this),
          {tr("Edit"), tr("Please select the ID which you want to edit"), tr("Delete ID"),
           tr("Do you really want to remove this ID?")});
}

BankIdManagement::~BankIdManagement() = default;

QString BankIdManagement::ClickedText(int column, const QStringList& values)
{
    // Columns 2 to 4 copy card number, PIN and code.
    return column >= 2 && column <= 4 ? values.value(column - 2) : QString();
}

void BankIdManagement::RunEditor(const QString& rowId)
{
    RunEditorOf<AddEditBankID>(rowId);
}
