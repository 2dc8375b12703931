#ifndef LOGINDIALOG_H
#define LOGINDIALOG_H

#include "core/lockerstore.h"
#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class LoginDialog;
}

// Asks for a locker's password, or the master password when the locker uses
// it; closes at the fifth failed attempt. The caller reads `loggedIn` afterwards.
class LoginDialog : public CenteredDialog
{
    Q_OBJECT

public:
    LoginDialog(QString lockerId, QWidget* parent);
    ~LoginDialog() override;

    bool loggedIn;

private slots:
    void on_checkBox_stateChanged(int state);
    void on_pushClose_clicked();
    void on_pushLogin_clicked();

private:
    void ShowSecretQuestion();
    void RevealPassword();
    void Login();

    std::unique_ptr<Ui::LoginDialog> ui;
    QString lockerId;
    LockerRecovery recovery; // read when the secret question is shown
    int failedAttempts;
};

#endif // LOGINDIALOG_H
