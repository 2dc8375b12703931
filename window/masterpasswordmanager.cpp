#include "window/masterpasswordmanager.h"
#include "ui_masterpasswordmanager.h"

#include "core/keyrowstore.h"
#include "core/utility.h"
#include "widgets/plainmessage.h"

#include <QMessageBox>

MasterPasswordManager::MasterPasswordManager(QWidget* parent)
    : CenteredDialog(parent)
    , changed(false)
    , ui(std::make_unique<Ui::MasterPasswordManager>())
{
    ui->setupUi(this);

    storedHash = KeyRowStore::MasterPasswordDigest();
    if (storedHash.isEmpty())
        ui->lineCurrentPassword->setEnabled(false);
}

MasterPasswordManager::~MasterPasswordManager() = default;

void MasterPasswordManager::on_pushClose_clicked()
{
    close();
}

void MasterPasswordManager::on_pushChange_clicked()
{
    QString problem;
    const QString newPassword = ui->lineNewPassword->text();
    const QString confirmation = ui->lineConfirmNewPassword->text();
    if (!storedHash.isEmpty() && Utility::Md5Hex(ui->lineCurrentPassword->text()) != storedHash)
        problem = tr("Current password is not correct");
    else if (newPassword.isEmpty())
        problem = tr("Please enter password");
    else if (confirmation.isEmpty())
        problem = tr("Please confirm password");
    else if (newPassword != confirmation)
        problem = tr("Password does not match with confirm password field");
    if (!problem.isEmpty()) {
        QMessageBox::information(this, tr("Error"), problem);
        return;
    }

    QString cause;
    changed = KeyRowStore::ChangeMasterPassword(Utility::Md5Hex(newPassword), &cause);
    if (changed)
        QMessageBox::information(this, tr("Master Password"), tr("Password changed successfully."));
    else
        ShowPlainInformation(this, tr("Master Password"),
                             tr("Error occurred while updating password.") + "\n" + cause);
}

void MasterPasswordManager::on_checkBox_stateChanged(int)
{
    ui->lineCurrentPassword->setEchoMode(ui->checkBox->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}

void MasterPasswordManager::on_checkBox_2_stateChanged(int)
{
    ui->lineNewPassword->setEchoMode(ui->checkBox_2->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}

void MasterPasswordManager::on_checkBox_3_stateChanged(int)
{
    ui->lineConfirmNewPassword->setEchoMode(ui->checkBox_3->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}
