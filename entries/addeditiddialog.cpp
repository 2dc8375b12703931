#include "entries/addeditiddialog.h"
#include "ui_addeditiddialog.h"

AddEditIdDialog::AddEditIdDialog(const QString& openedLockerId, QWidget* parent)
    : EntryEditor(openedLockerId, parent)
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
            {":name", 2, Source::Line, false, ui->lineName, nullptr},
            {":url", 3, Source::Line, false, ui->lineURL, nullptr},
            {":user_name", 4, Source::Line, true, ui->lineUser, nullptr},
            {":password", 5, Source::Line, true, ui->linePassword, nullptr},
            {":notes", 6, Source::PlainText, true, nullptr, ui->textNotes},
        },
        {"tblId",
         " INSERT INTO tblId (LOCKER_ID, NAME, URL, USER_NAME, PASSWORD, NOTES)  VALUES (:locker_id, :name , "
         ":url , :user_name, :password, :notes)",
         "UPDATE tblId SET LOCKER_ID = :locker_id, NAME =:name, PASSWORD = :password, URL = :url, USER_NAME "
         "= :user_name , NOTES = :notes WHERE ID = "},
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
