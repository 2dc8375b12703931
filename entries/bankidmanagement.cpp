#include "entries/bankidmanagement.h"
#include "ui_bankidmanagement.h"

#include "core/botanadapter.h"
#include "entries/addeditbankid.h"
#include "entries/bankidmodel.h"

#include <QSqlRecord>

BankIdManagement::BankIdManagement(const QString& openedLockerId, const QString& lockerName, QWidget* parent)
    : EntryListDialog(openedLockerId, parent)
    , ui(std::make_unique<Ui::BankIdManagement>())
{
    ui->setupUi(this);
    ui->labelHeading->setText(lockerName + tr(" - SECURE BANK CARDS"));
    SetUp({ui->tableViewIds, ui->scrollArea, ui->pushBack, ui->label}, new BankIDModel(this),
          {"SELECT ID, name,'','','' from tblId2", " ORDER BY NAME ASC",
           "SELECT CARD_NUMBER, PIN, CODE FROM tblId2 WHERE id = ", "DELETE FROM tblId2 WHERE ID = "},
          {tr("Edit"), tr("Please select the ID which you want to edit"), tr("Delete ID"),
           tr("Do you really want to remove this ID?")});
}

BankIdManagement::~BankIdManagement() = default;

QString BankIdManagement::ClickedText(int column, const QSqlRecord& secrets)
{
    // Card number, PIN and code are the click statement's fields 0 to 2.
    if (column < 2 || column > 4)
        return QString();
    return BotanAdapter::GetInstance().Decrypt(secrets.value(column - 2).toString());
}

void BankIdManagement::RunEditor(const QString& rowId)
{
    RunEditorOf<AddEditBankID>(rowId);
}
