#include "window/logindialog.h"
#include "ui_logindialog.h"

#include "core/utility.h"

#include <QMessageBox>

namespace {

constexpr int MAX_ATTEMPTS = 5;

void WarnNoLocker(QWidget* parent)
{
    QMessageBox::warning(parent, LoginDialog::tr("Error"),
                         LoginDialog::tr("Error occurred while accessing application data."));
}

} // namespace

LoginDialog::LoginDialog(QString id, QWidget* parent)
    : CenteredDialog(parent)
    , loggedIn(false)
    , ui(std::make_unique<Ui::LoginDialog>())
    , lockerId(std::move(id))
    , failedAttempts(0)
{
    ui->setupUi(this);
    if (LockerStore::UsesMasterPassword(lockerId)) {
        ui->labelPassword->setText(tr("ENTER MASTER PASSWORD"));
        ui->checkBox->hide();
    }
    ui->linePassword->setFocus();
    ui->pushLogin->setDefault(true);
    ui->labelQuestion->hide();
    ui->lineAnswer->hide();
    ui->labelAnswer->hide();
}

LoginDialog::~LoginDialog() = default;

void LoginDialog::on_checkBox_stateChanged(int)
{
    if (ui->checkBox->isChecked())
        ShowSecretQuestion();
}

void LoginDialog::on_pushClose_clicked()
{
    close();
}

void LoginDialog::on_pushLogin_clicked()
{
    if (ui->pushLogin->text() == tr("Show"))
        RevealPassword();
    else
        Login();
}

void LoginDialog::ShowSecretQuestion()
{
    ui->labelQuestion->show();
    ui->lineAnswer->show();
    ui->labelAnswer->show();
    ui->labelPassword->hide();
    ui->linePassword->hide();
    ui->checkBox->hide();
    ui->checkSavePassword->hide();
    ui->checkPasswordPermanent->hide();
    ui->labelSavePasswordPermanently->hide();
    ui->pushLogin->setText(tr("Show"));

    if (LockerStore::ReadRecovery(lockerId, &recovery)) {
        ui->labelQuestion->setText(tr("Question: ") + recovery.question);
    } else {
        recovery.answerReadable = false;
        WarnNoLocker(this);
    }
}

void LoginDialog::RevealPassword()
{
    if (!recovery.AnswerMatches(ui->lineAnswer->text()))
        return;
    ui->lineAnswer->hide();
    ui->labelAnswer->hide();
    ui->pushLogin->hide();
    ui->labelQuestion->setAlignment(Qt::AlignCenter);
    ui->labelQuestion->setText(tr("Your password is ") + "\n" + recovery.password);
}

void LoginDialog::Login()
{
    switch (LockerStore::CheckLogin(lockerId, ui->linePassword->text())) {
    case LoginCheck::NoLocker:
        WarnNoLocker(this);
        return;
    case LoginCheck::Refused:
        ++failedAttempts;
        ui->labelPassword->setText(tr("FAILED ATTEMPT (") + QString::number(failedAttempts) + ")");
        if (failedAttempts == MAX_ATTEMPTS)
            close();
        return;
    case LoginCheck::Granted:
        break;
    }

    loggedIn = true;
    if (ui->checkSavePassword->isChecked())
        Utility::GetInstance().sessionLockerIds.append(lockerId);
    // A failed rewrite only means the next opening asks again.
    if (ui->checkPasswordPermanent->isChecked())
        LockerStore::SavePasswordForLogin(lockerId);
    close();
}
