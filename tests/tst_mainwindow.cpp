#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "window/CenteredDialog.h"
#include "window/lockermodel.h"
#include "window/mainwindow.h"

#include <QAction>
#include <QPixmap>
#include <QTableView>

using namespace TestSupport;

namespace {

QAction* Action(MainWindow& window, const char* name)
{
    return window.findChild<QAction*>(name);
}

QString KeyRowValue(const char* column)
{
    return QueryValue(QString("SELECT %1 FROM tblSettings").arg(column)).toString();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { FreshDataFile(); }

    void keySetUpAtEachStart()
    {
        {
            MainWindow first; // a new file: keys made silently
            QCOMPARE(KeyRowValue("PARAM2").size(), 80);
            QCOMPARE(KeyRowValue("PARAM3").size(), 32);
            for (const char* name : {"actionEdit_Locker", "actionDelete_Locker", "action_Close_Locker",
                                     "action_Show_Lockers"})
                QVERIFY2(!Action(first, name)->isEnabled(), name);
        }
        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen);
        { MainWindow second; }
        QCOMPARE(seen.title, QString("Master Password"));
        QCOMPARE(seen.text, QString("Master Password is not set, please set by clicking on "
                                    "'Master Password' button."));
        QVERIFY(!BotanAdapter::GetInstance().Encrypt("x").isEmpty());

        ExecQuery("UPDATE tblSettings SET PARAM2 = 'not hex'");
        AnswerNextMessageBox(&seen);
        MainWindow third;
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY(seen.text.contains("damaged"));
        QVERIFY(BotanAdapter::GetInstance().Encrypt("secret").isEmpty());
    }

    void lockerListShowsTypesInOrderWithIcons()
    {
        InsertLocker("Zeta", 1);
        InsertLocker("Alpha", 3);
        InsertLocker("Cards", 2);
        InsertLocker("alpha", 1);
        InsertLocker("Odd", 7);
        MainWindow window;
        QAbstractItemModel* model = window.findChild<QTableView*>("tableView")->model();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        QStringList names;
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, LockerNameColumn).data().toString();
        QCOMPARE(names, QStringList({"Zeta", "alpha", "Cards", "Alpha", "Odd"}));

        auto icon = [&](int row, int column) {
            return model->index(row, column).data(Qt::DecorationRole).value<QPixmap>();
        };
        QCOMPARE(icon(0, LockerNameColumn).size(), QSize(40, 40));
        QVERIFY(icon(0, LockerNameColumn).toImage() != icon(2, LockerNameColumn).toImage());
        QVERIFY(icon(4, LockerNameColumn).isNull());
        QCOMPARE(icon(0, LockerUnlockColumn).size(), QSize(40, 40));

        auto* view = window.findChild<QTableView*>("tableView");
        window.ReloadLockerList();
        QList<int> hidden;
        for (int column = 0; column < model->columnCount(); ++column)
            if (view->isColumnHidden(column))
                hidden << column;
        QCOMPARE(hidden, (QList<int>{LockerIdColumn, LockerTypeColumn, LockerKeyColumn}));

        g_showUnlockButton = false;
        QVERIFY(model->index(0, LockerUnlockColumn).data(Qt::DecorationRole).isNull());
        g_showUnlockButton = true;
    }

    void resizeRecentresFirstFlaggedDialogOnly()
    {
        MainWindow window;
        window.showNormal();
        auto* list = new CenteredDialog(&window);
        list->keepCentered = false;
        auto* first = new CenteredDialog(&window);
        auto* second = new CenteredDialog(&window);
        for (CenteredDialog* dialog : {list, first, second}) {
            dialog->setFixedSize(200, 100);
            dialog->show();
            dialog->move(3, 4);
        }
        window.resize(900, 700);
        QTRY_COMPARE(first->pos(), QPoint(window.x() + window.width() / 2 - 100,
                                          window.y() + window.height() / 2 - 50));
        QCOMPARE(second->pos(), QPoint(3, 4));
        QCOMPARE(list->pos(), QPoint(3, 4));
    }
};

KESTROVA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
