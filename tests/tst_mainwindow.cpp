#include "testsupport.h"

#include "window/CenteredDialog.h"
#include "window/lockermodel.h"
#include "window/mainwindow.h"

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { FreshDataFile(); }

    void keySetUpAtEachStart()
    {
        delete new MainWindow; // a new file: keys made silently
        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen);
        delete new MainWindow;
        QCOMPARE(seen.title, QString("Master Password"));
        QCOMPARE(seen.text, QString("Master Password is not set, please set by clicking on "
                                    "'Master Password' button."));
        Exec("UPDATE tblSettings SET PARAM2 = 'not hex'");
        AnswerNextMessageBox(&seen);
        delete new MainWindow;
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY2(seen.text.contains("damaged"), qPrintable(seen.text));
    }

    void lockerListShowsTypesInOrderWithIcons()
    {
        for (const auto& locker :
             QList<QPair<QString, int>>{{"Zeta", 1}, {"Alpha", 3}, {"Cards", 2}, {"alpha", 1}, {"Odd", 7}})
            InsertLocker(locker.first, locker.second);
        MainWindow window;
        QAbstractItemModel* model = Child<QTableView>(&window, "tableView")->model();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(ColumnTexts(model, LockerNameColumn),
                 QStringList({"Zeta", "alpha", "Cards", "Alpha", "Odd"}));
        auto icon = [&](int row, int column) {
            return model->index(row, column).data(Qt::DecorationRole).value<QPixmap>().toImage();
        };
        QCOMPARE(icon(0, LockerNameColumn).size(), QSize(40, 40));
        QVERIFY(icon(0, LockerNameColumn) != icon(2, LockerNameColumn));
        QVERIFY(icon(4, LockerNameColumn).isNull());
        QCOMPARE(icon(0, LockerUnlockColumn).size(), QSize(40, 40));
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
        QTRY_COMPARE(first->pos(),
                     QPoint(window.x() + window.width() / 2 - 100, window.y() + window.height() / 2 - 50));
        QCOMPARE(second->pos(), QPoint(3, 4));
        QCOMPARE(list->pos(), QPoint(3, 4));
    }
};

KESTROVA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
