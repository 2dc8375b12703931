#include "window/masterpasswordmanager.h"
#include "ui_masterpasswordmanager.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"
#include "core/utility.h"

#include <QDebug>
#include <QMessageBox>
#include <QSqlError>
#include <QSqlQuery>

MasterPasswordManager::MasterPasswordManager(QWidget* parent)
    : CenteredDialog(parent)
    , changed(false)
    , ui(std::make_unique<Ui::MasterPasswordManager>())
{
    ui->setupUi(this);

    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.exec("SELECT ID, PARAM1 from tblSettings");
    if (query.next()) {
        rowId = query.value(0).toString();
        storedHash = query.value(1).toString();
    }
    fileHash = storedHash;

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

    if (StoreNewPassword(Utility::Md5Hex(newPassword))) {
        changed = true;
        QMessageBox::information(this, tr("Master Password"), tr("Password changed successfully."));
    } else {
        changed = false;
        QMessageBox::information(this, tr("Master Password"),
                                 tr("Error occurred while updating password."));
    }
}

bool MasterPasswordManager::StoreNewPassword(const QString& digest)
{
    BotanAdapter& adapter = BotanAdapter::GetInstance();
    // The wrapped key must exist before anything is written: a digest stored
    // without its wrapped key would lose the content key at the next start.
    const QString wrappedKey = adapter.ChangePassword(digest);
    if (wrappedKey.isEmpty())
        return false;

    // One statement, so the digest and the wrapped key are stored together or not at all.
    QSqlQuery update(CDBManager::GetInstance().GetDataBase());
    update.prepare("UPDATE tblSettings SET PARAM1 = :param1, PARAM2 = :param2 WHERE ID = :id");
    update.bindValue(":param1", digest);
    update.bindValue(":param2", wrappedKey);
    update.bindValue(":id", rowId);
    if (!update.exec() || update.numRowsAffected() != 1) {
        qDebug() << "Master password not stored:" << update.lastError().text();
        // Wrapping is deterministic, so this gives back exactly the key row
        // that the file still holds.
        if (adapter.ChangePassword(fileHash).isEmpty())
            qDebug() << "Keys in memory could not be restored";
        return false;
    }
    fileHash = digest;
    return true;
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
