#include "testenvironment.h"
#include "testsupport.h"

#include "lockerfixtures.h"

#include "window/lockermodel.h"
#include "window/mainwindow.h"

#include <QAction>
#include <QTableView>

#include <memory>

using namespace LockerFixtures;
using TestSupport::QueryValue;

class TestLockerGate : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    // Unlocks the locker as the list would and returns how many modal dialogs
    // showed meanwhile, closing each.
    int Unlock(const QString& id, const QString& name, bool* open)
    {
        int shown = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&shown]() {
            if (QWidget* modal = QApplication::activeModalWidget())
                shown += modal->close();
        });
        timer.start(10);
        *open = window->UnlockLocker(QueryValue("SELECT KEY FROM tblLocker WHERE ID = " + id).toString(), id,
                                     name);
        return shown;
    }

    // Selects the locker in the list and deletes it, confirming.
    void Delete(const QString& name)
    {
        auto* view = window->findChild<QTableView*>("tableView");
        const QModelIndex first = view->model()->index(0, LockerNameColumn);
        view->setCurrentIndex(
            view->model()->match(first, Qt::DisplayRole, name, 1, Qt::MatchExactly).value(0));
        TestSupport::AnswerNextMessageBox(nullptr, QMessageBox::Yes);
        window->findChild<QAction*>("actionDelete_Locker")->trigger();
    }

private slots:
    void init()
    {
        TestSupport::FreshDataFile();
        window = std::make_unique<MainWindow>(); // makes the keys: no box shows
    }

    void cleanup() { window.reset(); }

    void gateOutcomes()
    {
        const QString saved = MakeLocker("saved", "pw", 1, true);
        const QString ask = MakeLocker("ask", "pw");

        bool open = false;
        QCOMPARE(Unlock(saved, "saved", &open), 0);
        QVERIFY(open);
        QCOMPARE(Unlock(saved, "renamed outside", &open), 0);
        QVERIFY(!open);
        QCOMPARE(Unlock(ask, "ask", &open), 1);
        QVERIFY(!open); // the login dialog was closed
        Utility::GetInstance().sessionLockerIds = {ask};
        QCOMPARE(Unlock(ask, "ask", &open), 0);
        QVERIFY(open);

        // A rename rewrites the marker for the new name.
        LockerFields fields;
        QVERIFY(LockerStore::ReadLocker(saved, &fields));
        fields.name = QString::fromUtf8("new 'näme' 5%");
        QVERIFY(LockerStore::UpdateLocker(saved, fields));
        QCOMPARE(Unlock(saved, fields.name, &open), 0);
        QVERIFY(open);
    }

    void deleteClosesOnlyTheOpenedLocker()
    {
        const QString opened = MakeLocker("opened", "pw", 1, true);
        MakeLocker("other", "pw", 2, true);
        Exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (" + opened + ", 'n', 'u')");
        window->ReloadLockerList();
        window->OpenLocker(opened, "opened", 1);
        QWidget* list = window->centralWidget();
        QVERIFY(list);

        Delete("other");
        QVERIFY(LockerIdOf("other").isEmpty());
        QCOMPARE(window->centralWidget(), list);

        Delete("opened");
        QVERIFY(LockerIdOf("opened").isEmpty());
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId").toInt(), 0);
        QVERIFY(!window->centralWidget());
    }
};

KESTROVA_TEST_MAIN(TestLockerGate)
#include "tst_lockergate.moc"
