#include "entries/addeditbankid.h"
#include "ui_addeditbankid.h"

AddEditBankID::AddEditBankID(const QString& openedLockerId, QWidget* parent)
    : EntryEditor(openedLockerId, parent)
    , ui(std::make_unique<Ui::AddEditBankID>())
{
    ui->setupUi(this);
    SetUp(ui->scrollArea, ui->lineName, ui->pushAdd,
          {
              {ui->lineName, tr("Please enter alpha numeric name or alias of ID.")},
          },
          {
              {":name", 2, Source::Line, false, ui->lineName, nullptr},
              {":card", 3, Source::Line, true, ui->lineCardNumber, nullptr},
              {":pin", 4, Source::Line, true, ui->linePin, nullptr},
              {":issue", 5, Source::Line, false, ui->lineIssueDate, nullptr},
              {":expiry", 6, Source::Line, false, ui->lineExpiryDate, nullptr},
              {":code", 7, Source::Line, true, ui->lineCode, nullptr},
              {":notes", 8, Source::PlainText, true, nullptr, ui->textNotes},
          },
          {"tblId2",
           " INSERT INTO tblId2 (LOCKER_ID, NAME, CARD_NUMBER, PIN, ISSUE_DATE, EXPIRY_DATE, CODE, NOTES)  "
           "VALUES (:locker_id, :name , :card , :pin, :issue, :expiry, :code, :notes)",
           "UPDATE tblId2 SET LOCKER_ID = :locker_id, NAME =:name, CARD_NUMBER = :card, PIN = :pin, "
           "ISSUE_DATE = :issue , EXPIRY_DATE = :expiry, CODE = :code, NOTES = :notes WHERE ID = "},
          {tr("Error"), tr("Update"), tr("ID with this name already exists. Please choose another name."),
           tr("Add ID"), tr("New ID details added successfully!"), tr("Update ID"),
           tr("ID details updated successfully!"), tr("Error occurred while adding new ID."),
           tr("Error occurred while updating ID.")});
}

AddEditBankID::~AddEditBankID() = default;

void AddEditBankID::on_checkShowCardNumber_stateChanged(int)
{
    ShowSecret(ui->checkShowCardNumber, ui->lineCardNumber);
}

void AddEditBankID::on_checkShowPin_stateChanged(int)
{
    ShowSecret(ui->checkShowPin, ui->linePin);
}

void AddEditBankID::on_checkShowCode_stateChanged(int)
{
    ShowSecret(ui->checkShowCode, ui->lineCode);
}

void AddEditBankID::on_pushGenerate_clicked()
{
    // The password reaches the form only when the user pastes it.
    RunPasswordGenerator("err_msg_3", tr("Password"),
                         tr("Selected password is available on clipboard. You can paste it anywhere"));
}
