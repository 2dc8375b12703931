#include "entries/addeditiddialog.h"
#include "ui_addeditiddialog.h"

AddEditIdDialog::AddEditIdDialog(const QString& openedLockerId, QWidget* parent)
    : EntryEditor(1, openedLockerId, parent)
    , ui(std::make_unique<Ui::AddEditIdDialog>())
{
    ui->setupUi(this);
    SetUp(
        ui->scrollArea, ui->lineName, ui->pushAdd,
        {
            {ui->lineName, tr("Please enter alpha numeric name or alias of ID.")},
            {ui->lineURL, tr("Please enter URL or Physical Path of Application")},
            {ui->lineUser, tr("Please enter user name or login ID")},
            {ui->linePassword, tr("Please enter password for this URL or application")},
        },
        {
            {"NAME", Source::Line, ui->lineName, nullptr},
            {"URL", Source::Line, ui->lineURL, nullptr},
            {"USER_NAME", Source::Line, ui->lineUser, nullptr},
            {"PASSWORD", Source::Line, ui->linePassword, nullptr},
            {"NOTES", Source::PlainText, nullptr, ui->textNotes},
        },
        {tr("Error"), tr("Update"), tr("ID with this name already exists. Please choose another name."),
         tr("Add ID"), tr("New ID details added successfully!"), tr("Update ID"),
         tr("ID details updated successfully!"), tr("Error occurred while adding new ID."),
         tr("Error occurred while updating ID.")});
    resize(450, 600);
}

AddEditIdDialog::~AddEditIdDialog() = default;

void AddEditIdDialog::on_checkBox_stateChanged(int)
{
    ShowSecret(ui->checkBox, ui->linePassword);
}

void AddEditIdDialog::on_pushGenerate_clicked()
{
    const QString password =
        RunPasswordGenerator("err_msg_2", tr("Password"),
                             tr("Selected password is available on clipboard. You can paste it anywhere"));
    if (!password.isEmpty())
        ui->linePassword->setText(password);
}
