#include "entries/addeditbankid.h"
#include "ui_addeditbankid.h"

AddEditBankID::AddEditBankID(const QString& openedLockerId, QWidget* parent)
    : EntryEditor(2, openedLockerId, parent)
    , ui(std::make_unique<Ui::AddEditBankID>())
{
    ui->setupUi(this);
    SetUp(ui->scrollArea, ui->lineName, ui->pushAdd,
          {
              {ui->lineName, tr("Please enter alpha numeric name or alias of ID.")},
          },
          {
              {"NAME", Source::Line, ui->lineName, nullptr},
              {"CARD_NUMBER", Source::Line, ui->lineCardNumber, nullptr},
              {"PIN", Source::Line, ui->linePin, nullptr},
              {"ISSUE_DATE", Source::Line, ui->lineIssueDate, nullptr},
              {"EXPIRY_DATE", Source::Line, ui->lineExpiryDate, nullptr},
              {"CODE", Source::Line, ui->lineCode, nullptr},
              {"NOTES", Source::PlainText, nullptr, ui->textNotes},
          },
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
