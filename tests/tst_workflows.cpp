// What a user does across several windows: open a locker from the main
// window, add an entry and copy its password; log in to a master-password
// locker after the master password changed.
#include "testenvironment.h"
#include "testsupport.h"


#include "core/lockerstore.h"
#include "entries/idmanagementdialog.h"
#include "window/lockermodel.h"
#include "window/mainwindow.h"

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace TestSupport;

namespace {

void Click(QWidget* dialog, const char* button)
{
    dialog->findChild<QPushButton*>(button)->click();
}

void Type(QWidget* dialog, const char* line, const QString& text)
{
    QTest::keyClicks(dialog->findChild<QLineEdit*>(line), text);
}

// Logs in through the login dialog that the next gate opens, saving the password for good.
void LogInWith(const QString& password)
{
    OnNextModal([password](QWidget* login) {
        QCOMPARE(login->metaObject()->className(), "LoginDialog");
        Type(login, "linePassword", password);
        login->findChild<QAbstractButton*>("checkPasswordPermanent")->click();
        Click(login, "pushLogin");
    });
}

// Sets or changes the master password through File > Master Password...
void ChangeMasterPassword(MainWindow& window, const QString& current, const QString& next)
{
    MessageBoxSeen seen;
    OnNextModal([&](QWidget* dialog) {
        if (!current.isEmpty())
            Type(dialog, "lineCurrentPassword", current);
        Type(dialog, "lineNewPassword", next);
        Type(dialog, "lineConfirmNewPassword", next);
        AnswerNextMessageBox(&seen);
        Click(dialog, "pushChange");
        Click(dialog, "pushClose");
    });
    window.findChild<QAction*>("action_Master_Password")->trigger();
    QCOMPARE(seen.text, QString("Password changed successfully."));
}

} // namespace

class TestWorkflows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        FreshDataFile();
        window = std::make_unique<MainWindow>();
        window->resize(1000, 700);
    }
    void cleanup()
    {
        window.reset();
    }

    void openLockerAddEntryCopyPassword()
    {
        const QString id = MakeLocker("Mail & Web", "locker pw");
        window->ReloadLockerList();
        auto* view = window->findChild<QTableView*>("tableView");
        LogInWith("locker pw");
        emit view->doubleClicked(view->model()->index(0, LockerNameColumn));
        // The list shows the marker that the login rewrote.
        QCOMPARE(LockerStore::ReadMarker(view->model()->index(0, LockerKeyColumn).data().toString(),
                                         "Mail & Web"),
                 LockerMarker::PasswordSaved);

        auto* list = qobject_cast<IdManagementDialog*>(window->centralWidget());
        QVERIFY(list);
        MessageBoxSeen added;
        OnNextModal([&added](QWidget* editor) {
            Type(editor, "lineName", "Mail");
            Type(editor, "lineURL", "http://mail.example");
            Type(editor, "lineUser", "me");
            Type(editor, "linePassword", "pa'ss%");
            AnswerNextMessageBox(&added);
            Click(editor, "pushAdd");
            Click(editor, "pushClose");
        });
        Click(list, "pushAdd");
        QCOMPARE(added.text, QString("New ID details added successfully!"));

        auto* entries = list->findChild<QTableView*>("tableViewIds");
        QCOMPARE(entries->model()->rowCount(), 1);
        QCOMPARE(entries->model()->index(0, 1).data().toString(), QString("Mail"));
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect cell = entries->visualRect(entries->model()->index(0, 3));
        QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("pa'ss%"));
        QCOMPARE(QueryValue("SELECT LOCKER_ID FROM tblId").toString(), id);
    }

    void masterPasswordLockerFollowsTheNewPassword()
    {
        ChangeMasterPassword(*window, QString(), "first");
        const QString id = MakeLocker("Bank", QString());
        ChangeMasterPassword(*window, "first", "second");
        QCOMPARE(Utility::GetInstance().settings->value("MasterPassword").toString(), QString("Y"));

        QCOMPARE(LockerStore::CheckLogin(id, "first"), LoginCheck::Refused);
        QCOMPARE(LockerStore::CheckLogin(id, "second"), LoginCheck::Granted);
    }

private:
    std::unique_ptr<MainWindow> window;
};

KESTROVA_TEST_MAIN(TestWorkflows)
#include "tst_workflows.moc"
