#include "testsupport.h"

#include "entries/bankidmanagement.h"
#include "entries/diarymanagement.h"
#include "entries/idmanagementdialog.h"
#include "window/lockermodel.h"
#include "window/mainwindow.h"

class TestEntryLists : public QObject
{
    Q_OBJECT

    QStringList openedUrls;
    static QString Encrypt(const QString& text) { return BotanAdapter::GetInstance().Encrypt(text); }

public slots:
    void OpenUrl(const QUrl& url) { openedUrls << url.toString(); }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler("http", this, "OpenUrl"); }
    void init() { FreshDataFileWithKeys(); }
    void cleanup() { FinishTest(); }

    // From the main window: log in, add a web ID, copy its cells, open its URL, delete it.
    void webIdFromTheMainWindow()
    {
        const QString id = MakeLocker("Mail & Web", "locker pw");
        AnswerNextMessageBox(nullptr); // no master password yet
        MainWindow window;
        auto* lockers = Child<QTableView>(&window, "tableView");
        OnNextModal([](QWidget* login) {
            Child(login, "linePassword")->setText("locker pw");
            Click(login, "checkPasswordPermanent");
            Click(login, "pushLogin");
        });
        emit lockers->doubleClicked(lockers->model()->index(0, LockerNameColumn));
        // The list shows the marker that the login rewrote.
        QCOMPARE(LockerStore::ReadMarker(lockers->model()->index(0, LockerKeyColumn).data().toString(),
                                         "Mail & Web"),
                 LockerMarker::PasswordSaved);

        auto* list = qobject_cast<IdManagementDialog*>(window.centralWidget());
        QVERIFY(list);
        OnNextModal([](QWidget* editor) {
            Submit(editor, "pushAdd", WebIdLines, {"Mail", "http://mail.example", "me", "pa'ss%"});
            Click(editor, "pushClose");
        });
        Click(list, "pushAdd");
        QCOMPARE(QueryValue("SELECT LOCKER_ID FROM tblId").toString(), id);
        auto* view = Child<QTableView>(list, "tableViewIds");
        QCOMPARE(ColumnTexts(view->model(), 1), QStringList{"Mail"});
        QCOMPARE((QStringList{ClickCell(view, 0, 1), ClickCell(view, 0, 2), ClickCell(view, 0, 3)}),
                 (QStringList{"", "me", "pa'ss%"}));

        // A rename from the list shows there once the editor closes.
        OnNextModal([](QWidget* editor) {
            Submit(editor, "pushAdd", {"lineName"}, {"Mail 2"});
            Click(editor, "pushClose");
        });
        Click(list, "pushEdit");
        QCOMPARE(ColumnTexts(view->model(), 1), QStringList{"Mail 2"});

        // The URL column: the notice, the browser, then the password.
        OnNextModal([](QWidget* notice) { Click(notice, "pushButton"); });
        QCOMPARE(ClickCell(view, 0, 4), QString("pa'ss%"));
        QCOMPARE(openedUrls, QStringList{"http://mail.example"});

        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen, QMessageBox::Yes);
        Click(list, "pushDelete");
        QCOMPARE(seen.text, QString("Do you really want to remove this ID?"));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId").toInt(), 0);
    }

    void filter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        const QStringList all{" lead", "Alphabet", "a_b", "alpha", "axb", "it's", "xlead"};
        QTest::newRow("blanks only") << "   " << all;
        QTest::newRow("leading blank kept, any case") << " LEAD" << QStringList{" lead"};
        QTest::newRow("quote, any case") << "T'S" << QStringList{"it's"};
        QTest::newRow("percent") << "%" << all;
        QTest::newRow("underscore") << "a_b" << QStringList{"a_b", "axb"};
    }

    void filter()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        const QString locker = InsertLocker("Web", 1);
        // Every name in a second locker too: no row of it may show up.
        for (const QString& owner : {locker, InsertLocker("Other", 1)})
            Exec(QString("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (%1, 'alpha', ''), "
                         "(%1, 'Alphabet', ''), (%1, 'it''s', ''), (%1, 'a_b', ''), (%1, 'axb', ''), "
                         "(%1, ' lead', ''), (%1, 'xlead', '')")
                     .arg(owner));
        IdManagementDialog dialog(locker, "Web", nullptr);
        QTest::keyClicks(Child(&dialog, "lineEdit"), text);
        QCOMPARE(ColumnTexts(Child<QTableView>(&dialog, "tableViewIds")->model(), 1), names);
    }

    void cardAndNoteClicks()
    {
        const QString cards = InsertLocker("Cards", 2);
        Exec(QString("INSERT INTO tblId2 (LOCKER_ID, NAME, CARD_NUMBER, PIN, CODE) VALUES (%1, 'V', '%2', "
                     "'%3', '%4')")
                 .arg(cards, Encrypt("4111 1111"), Encrypt("1234"), Encrypt("987")));
        BankIdManagement card(cards, "A&lt;B", nullptr);
        // The name as typed, not as markup.
        QCOMPARE(Child<QLabel>(&card, "labelHeading")->textFormat(), Qt::PlainText);
        auto* view = Child<QTableView>(&card, "tableViewIds");
        QCOMPARE((QStringList{ClickCell(view, 0, 2), ClickCell(view, 0, 3), ClickCell(view, 0, 4)}),
                 (QStringList{"4111 1111", "1234", "987"}));

        // Newest day first; within a day by name, whatever the time.
        const QString notes = InsertLocker("Notes", 3);
        Exec(QString("INSERT INTO tblId3 (LOCKER_ID, NAME, TIME_STAMP, NOTES) VALUES (%1, 'z', '2024-05-03 "
                     "01:00', ''), (%1, 'b', '2024-05-01 23:00', ''), (%1, 'a', '2024-05-01 09:00', '%2')")
                 .arg(notes, Encrypt("<p>Line <b>one</b></p><p>two &amp; more</p>")));
        DiaryManagement diary(notes, "Notes", nullptr);
        view = Child<QTableView>(&diary, "tableViewIds");
        QCOMPARE(ColumnTexts(view->model(), 1), (QStringList{"z", "a", "b"}));
        OnNextModal([](QWidget* notice) { Click(notice, "pushButton"); });
        QCOMPARE(ClickCell(view, 1, 3), QString("Line one\ntwo & more"));
        // The clicked cell stays current, but shows no selection.
        QCOMPARE(view->currentIndex(), view->model()->index(1, 3));
        QVERIFY(!view->selectionModel()->hasSelection());
    }
};

KESTROVA_TEST_MAIN(TestEntryLists)
#include "tst_entrylists.moc"
