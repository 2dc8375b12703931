#include "testenvironment.h"
#include "testsupport.h"

#include "lockerfixtures.h"

#include "window/CenteredDialog.h"
#include "window/lockermodel.h"
#include "window/logindialog.h"
#include "window/mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <memory>

using namespace LockerFixtures;
using TestSupport::OnNextModal;
using TestSupport::QueryValue;

namespace {

QString KeyOf(const QString& id)
{
    return QueryValue("SELECT KEY FROM tblLocker WHERE ID = " + id).toString();
}

// Answers the next login dialog with `password`, ticking "Save password ONLY
// for this session" when asked; `then` runs on the next modal after it.
void LoginWith(const QString& password, bool forSession = false,
               std::function<void(QWidget*)> then = nullptr)
{
    OnNextModal([=](QWidget* modal) {
        auto* login = qobject_cast<LoginDialog*>(modal);
        QVERIFY(login);
        if (then)
            OnNextModal(then, login);
        login->findChild<QLineEdit*>("linePassword")->setText(password);
        login->findChild<QCheckBox*>("checkSavePassword")->setChecked(forSession);
        login->findChild<QPushButton*>("pushLogin")->click();
        if (login->isVisible())
            login->close();
    });
}

// Runs `action` and returns how many modal dialogs showed meanwhile, closing each.
int ModalsDuring(const std::function<void()>& action)
{
    int shown = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&shown]() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++shown;
            modal->close();
        }
    });
    timer.start(10);
    action();
    return shown;
}

// Renames the locker in the editor that shows next, then closes it.
void RenameInEditor(const QString& name)
{
    OnNextModal([name](QWidget* editor) {
        editor->findChild<QLineEdit*>("lineName")->setText(name);
        TestSupport::MessageBoxSeen seen;
        TestSupport::AnswerNextMessageBox(&seen);
        editor->findChild<QPushButton*>("pushAdd")->click();
        QCOMPARE(seen.text, QString("Locker updated successfully!"));
        editor->close();
    });
}

} // namespace

class TestLockerGate : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    QTableView* View() const { return window->findChild<QTableView*>("tableView"); }
    QAction* Action(const char* name) const { return window->findChild<QAction*>(name); }

    QModelIndex Cell(const QString& name, int column = LockerNameColumn) const
    {
        QAbstractItemModel* model = View()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, LockerNameColumn).data().toString() == name)
                return model->index(row, column);
        }
        return QModelIndex();
    }

    void DoubleClick(const QString& name) { emit View()->doubleClicked(Cell(name)); }

    void Select(const QString& name) { View()->setCurrentIndex(Cell(name)); }

    // The entry list in the central area, or null when none is shown.
    CenteredDialog* OpenedList() const { return qobject_cast<CenteredDialog*>(window->centralWidget()); }

private slots:
    void init()
    {
        TestSupport::FreshDataFile();
        window = std::make_unique<MainWindow>(); // makes the keys: no box shows
        g_showUnlockButton = true;
    }

    void cleanup() { window.reset(); }

    void gateOutcomes()
    {
        const QString saved = MakeLocker("saved", "pw", 1, true);
        const QString ask = MakeLocker("ask", "pw");
        const QString renamed = MakeLocker("renamed outside", "pw", 1, true);
        Exec("UPDATE tblLocker SET NAME = 'renamed' WHERE ID = " + renamed);

        bool open = false;
        QCOMPARE(ModalsDuring([&]() { open = window->UnlockLocker(KeyOf(saved), saved, "saved"); }), 0);
        QVERIFY(open);
        QCOMPARE(ModalsDuring([&]() { open = window->UnlockLocker(KeyOf(renamed), renamed, "renamed"); }), 0);
        QVERIFY(!open);
        QCOMPARE(ModalsDuring([&]() { open = window->UnlockLocker(KeyOf(ask), ask, "ask"); }), 1);
        QVERIFY(!open); // the login dialog was closed
    }

    void sessionLoginOpensWithoutAskingAgain()
    {
        const QString id = MakeLocker("ask", "pw");
        window->ReloadLockerList();
        LoginWith("pw", true);
        DoubleClick("ask");
        QVERIFY(OpenedList());
        QCOMPARE(Utility::GetInstance().sessionLockerIds, QVector<QString>{id});

        Action("action_Close_Locker")->trigger();
        QVERIFY(!window->centralWidget());
        QVERIFY(!Action("action_Close_Locker")->isEnabled());
        QCOMPARE(ModalsDuring([&]() { DoubleClick("ask"); }), 0);
        QVERIFY(OpenedList());
    }

    void openingReplacesTheOpenedList()
    {
        MakeLocker("web", "pw", 1, true);
        MakeLocker("notes", "pw", 3, true);
        window->ReloadLockerList();
        DoubleClick("web");
        QPointer<CenteredDialog> first = OpenedList();
        QVERIFY(first);
        QVERIFY(!first->keepCentered);
        QVERIFY(!first->isWindow());
        QVERIFY(Action("action_Close_Locker")->isEnabled());
        QVERIFY(Action("actionEdit_Locker")->isEnabled());
        QVERIFY(Action("actionDelete_Locker")->isEnabled());

        DoubleClick("notes");
        QVERIFY(OpenedList() && OpenedList() != first);
        QTRY_VERIFY(first.isNull());
    }

    void singleClicks()
    {
        MakeLocker("web", "pw", 1, true);
        window->ReloadLockerList();
        View()->selectRow(Cell("web").row());
        emit View()->clicked(Cell("web"));
        QVERIFY(!OpenedList());
        QVERIFY(Action("actionEdit_Locker")->isEnabled());
        QVERIFY(!View()->selectionModel()->hasSelection());

        g_showUnlockButton = false;
        emit View()->clicked(Cell("web", LockerUnlockColumn));
        QVERIFY(!OpenedList());
        g_showUnlockButton = true;
        emit View()->clicked(Cell("web", LockerUnlockColumn));
        QVERIFY(OpenedList());
    }

    void lockersThatDoNotOpen()
    {
        MakeLocker("odd", "pw", 7, true);
        const QString broken = MakeLocker("broken", "pw", 1, true);
        Exec("UPDATE tblLocker SET KEY = 'x' WHERE ID = " + broken);
        window->ReloadLockerList();

        DoubleClick("broken");
        QVERIFY(!Action("action_Close_Locker")->isEnabled());
        DoubleClick("odd"); // passes the gate, but no list exists for its type
        QVERIFY(Action("action_Close_Locker")->isEnabled());
        QCOMPARE(window->centralWidget()->objectName(), QString("centralwidget"));
    }

    void newLockerThroughTypeSelectionAndEditor()
    {
        OnNextModal([](QWidget* selection) {
            OnNextModal(
                [](QWidget* editor) {
                    editor->findChild<QLineEdit*>("lineName")->setText("diary");
                    editor->findChild<QCheckBox*>("checkUserMasterPassWord")->setChecked(true);
                    TestSupport::AnswerNextMessageBox(nullptr);
                    editor->findChild<QPushButton*>("pushAdd")->click();
                    editor->close();
                },
                selection);
            selection->findChild<QPushButton*>("pushNotes")->click();
            selection->findChild<QPushButton*>("pushOk")->click();
        });
        Action("actionNew_Locker")->trigger();
        QVERIFY(Cell("diary").isValid());
        QCOMPARE(QueryValue("SELECT TYPE FROM tblLocker").toInt(), 3);
    }

    void renameKeepsTheGateWorking()
    {
        const QString id = MakeLocker("old", "pw");
        window->ReloadLockerList();
        Select("old");
        const QString renamed = QString::fromUtf8("new 'näme' 5%");
        LoginWith("pw", false, [renamed](QWidget*) { RenameInEditor(renamed); });
        Action("actionEdit_Locker")->trigger();
        QVERIFY(!OpenedList()); // editing opens nothing
        QCOMPARE(LockerIdOf(renamed), id);

        LoginWith("pw");
        DoubleClick(renamed);
        QVERIFY(OpenedList());
    }

    void deleteRemovesEntriesAndTheLocker()
    {
        const QString opened = MakeLocker("opened", "pw", 1, true);
        const QString other = MakeLocker("other", "pw", 2, true);
        const QString ask = MakeLocker("ask", "pw", 3);
        Exec("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (" + opened + ", 'n', 'u')");
        Exec("INSERT INTO tblId2 (LOCKER_ID, NAME) VALUES (" + other + ", 'card')");
        window->ReloadLockerList();
        DoubleClick("opened");
        QPointer<CenteredDialog> list = OpenedList();

        TestSupport::MessageBoxSeen seen;
        Select("other");
        TestSupport::AnswerNextMessageBox(&seen, QMessageBox::No);
        Action("actionDelete_Locker")->trigger();
        QCOMPARE(seen.title, QString("Delete Locker"));
        QCOMPARE(seen.text, QString("Do you really want to remove this locker? All associated IDs will "
                                    "be removed as well."));
        QCOMPARE(LockerIdOf("other"), other);

        Select("other");
        TestSupport::AnswerNextMessageBox(nullptr, QMessageBox::Yes);
        Action("actionDelete_Locker")->trigger();
        QVERIFY(LockerIdOf("other").isEmpty());
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId2").toInt(), 0);
        QCOMPARE(OpenedList(), list.data()); // another locker's list stays

        Select("ask"); // a refused login deletes nothing
        TestSupport::AnswerNextMessageBox(nullptr, QMessageBox::Yes);
        LoginWith("wrong");
        Action("actionDelete_Locker")->trigger();
        QCOMPARE(LockerIdOf("ask"), ask);

        Select("opened");
        TestSupport::AnswerNextMessageBox(nullptr, QMessageBox::Yes);
        Action("actionDelete_Locker")->trigger();
        QVERIFY(LockerIdOf("opened").isEmpty());
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId").toInt(), 0);
        QVERIFY(!window->centralWidget());
        QVERIFY(!Action("action_Close_Locker")->isEnabled());
        QVERIFY(!Cell("opened").isValid());
    }

    void actionsWithoutASelectedLocker_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("open") << "action_Open_Locker" << "Export"
                              << "Please select a locker from the list that you want to open";
        QTest::newRow("edit") << "actionEdit_Locker" << "Edit Locker"
                              << "Please select the locker which you want to view or edit.";
        QTest::newRow("delete") << "actionDelete_Locker" << "Edit Locker"
                                << "Please select the locker which you want delete.";
    }

    void actionsWithoutASelectedLocker()
    {
        QFETCH(QString, action);
        QFETCH(QString, title);
        QFETCH(QString, text);
        TestSupport::MessageBoxSeen seen;
        TestSupport::AnswerNextMessageBox(&seen);
        Action(qPrintable(action))->setEnabled(true);
        Action(qPrintable(action))->trigger();
        QCOMPARE(seen.title, title);
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.icon, QMessageBox::Information);
    }
};

KESTROVA_TEST_MAIN(TestLockerGate)
#include "tst_lockergate.moc"
