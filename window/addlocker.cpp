#include "window/addlocker.h"
#include "ui_addlocker.h"

#include "core/lockerstore.h"
#include "widgets/plainmessage.h"

#include <QDebug>
#include <QMessageBox>
#include <QScroller>

AddLocker::AddLocker(int lockerType, QWidget* parent)
    : CenteredDialog(parent)
    , ui(std::make_unique<Ui::AddLocker>())
    , editMode(false)
    , type(lockerType)
{
    ui->setupUi(this);
    // The notes are kept in the row but never shown or typed here.
    ui->labelNotes->hide();
    ui->textNotes->hide();
    QScroller::grabGesture(ui->scrollArea->viewport(), QScroller::LeftMouseButtonGesture);
    ui->lineName->setFocus();
    ui->pushAdd->setDefault(true);

    ui->labelType->clear();
    switch (type) {
    case 1:
        ui->labelType->setText(tr("TYPE : WEB"));
        break;
    case 2:
        ui->labelType->setText(tr("TYPE : BANK"));
        break;
    case 3:
        ui->labelType->setText(tr("TYPE : NOTES"));
        break;
    default:
        break;
    }
    resize(450, 620);
}

AddLocker::~AddLocker() = default;

void AddLocker::SetEditMode(const QString& lockerId)
{
    ui->pushAdd->setText(tr("Update"));
    id = lockerId;
    editMode = true;

    LockerFields fields;
    if (!LockerStore::ReadLocker(id, &fields)) {
        qDebug() << "Error occurred while getting data from dataBase";
        return;
    }
    ui->lineName->setText(fields.name);
    // The repeat field gets the password too, so that an unchanged password passes.
    ui->linePassword->setText(fields.password);
    ui->lineRepeatPassword->setText(fields.password);
    ui->lineSecretQuestion->setText(fields.secretQuestion);
    ui->lineSecretAnswer->setText(fields.secretAnswer);
    ui->textNotes->setPlainText(fields.notes);
    ui->checkUserMasterPassWord->setChecked(fields.useMasterPassword);
    ui->checkRemberPassword->setChecked(fields.savePassword);
}

void AddLocker::on_pushClose_clicked()
{
    close();
}

QString AddLocker::CheckForm() const
{
    if (ui->lineName->text().isEmpty())
        return tr("Please enter alpha numeric name of locker.");
    if (ui->checkUserMasterPassWord->isChecked())
        return QString();
    if (ui->lineSecretQuestion->text().isEmpty())
        return tr("Please enter alpha numeric secret question.");
    if (ui->lineSecretAnswer->text().isEmpty())
        return tr("Please enter alpha numeric qecret answer.");
    if (ui->linePassword->text().isEmpty())
        return tr("Please provide password");
    if (ui->lineRepeatPassword->text() != ui->linePassword->text())
        return tr("Repeat Password does not match with Password");
    return QString();
}

void AddLocker::on_pushAdd_clicked()
{
    const QString complaint = CheckForm();
    if (!complaint.isEmpty()) {
        QMessageBox::warning(this, tr("Error"), complaint, QMessageBox::Ok);
        return;
    }

    // The disabled password fields are saved as they stand, also under the master password.
    LockerFields fields;
    fields.name = ui->lineName->text();
    fields.password = ui->linePassword->text();
    fields.secretQuestion = ui->lineSecretQuestion->text();
    fields.secretAnswer = ui->lineSecretAnswer->text();
    fields.notes = ui->textNotes->toPlainText();
    fields.useMasterPassword = ui->checkUserMasterPassWord->isChecked();
    fields.savePassword = ui->checkRemberPassword->isChecked();

    // A failure says why, on a line of its own; the cause may name a file, shown as written.
    QString cause;
    if (editMode) {
        if (LockerStore::UpdateLocker(id, fields, &cause))
            QMessageBox::information(this, tr("Update Locker"), tr("Locker updated successfully!"),
                                     QMessageBox::Ok);
        else
            ShowPlainWarning(this, tr("Error"), tr("Error occurred while updating locker.") + "\n" + cause);
    } else {
        if (LockerStore::AddLocker(fields, type, &cause))
            QMessageBox::information(this, tr("Add Locker"), tr("Locker added successfully!"),
                                     QMessageBox::Ok);
        else
            ShowPlainWarning(this, tr("Error"), tr("Error occurred while adding new locker.") + "\n" + cause);
    }
}

void AddLocker::on_checkShowPassword_stateChanged(int)
{
    ui->linePassword->setEchoMode(ui->checkShowPassword->isChecked() ? QLineEdit::Normal
                                                                     : QLineEdit::Password);
}

void AddLocker::on_checkShowRepeatPassword_stateChanged(int)
{
    ui->lineRepeatPassword->setEchoMode(ui->checkShowRepeatPassword->isChecked() ? QLineEdit::Normal
                                                                                 : QLineEdit::Password);
}

void AddLocker::on_checkUserMasterPassWord_stateChanged(int)
{
    ui->framePassword->setEnabled(!ui->checkUserMasterPassWord->isChecked());
}
