#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "entries/bankidmanagement.h"
#include "entries/diarymanagement.h"
#include "entries/idmanagementdialog.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

using namespace TestSupport;

class TestEntryLists : public QObject
{
    Q_OBJECT

public slots:
    void OpenUrl(const QUrl& url) { openedUrls << url.toString(); }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler("http", this, "OpenUrl"); }
    void init() { FreshDataFileWithKeys(); }

    void webIdAddCopyOpenAndDelete()
    {
        IdManagementDialog dialog(InsertLocker("Web", 1), "Web", nullptr);
        QTableView* view = View(&dialog);
        MessageBoxSeen seen;
        OnNextModal([&seen](QWidget* editor) {
            for (const char* field : {"lineName", "lineURL", "lineUser", "linePassword"})
                editor->findChild<QLineEdit*>(field)->setText(QString("http://x/") + field);
            AnswerNextMessageBox(&seen);
            Click(editor, "pushAdd");
            Click(editor, "pushClose");
        });
        Click(&dialog, "pushAdd");
        QCOMPARE(seen.text, QString("New ID details added successfully!"));
        QCOMPARE(Names(view), QStringList{"http://x/lineName"});
        QCOMPARE((QStringList{ClickCell(view, 0, 1), ClickCell(view, 0, 2), ClickCell(view, 0, 3)}),
                 (QStringList{"", "http://x/lineUser", "http://x/linePassword"}));

        // The URL column: the notice, the browser, then the password.
        OnNextModal([](QWidget* notice) {
            QCOMPARE(notice->windowTitle(), QString("Open URL"));
            Click(notice, "pushButton");
        });
        QCOMPARE(ClickCell(view, 0, 4), QString("http://x/linePassword"));
        QCOMPARE(openedUrls, QStringList{"http://x/lineURL"});

        AnswerNextMessageBox(&seen, QMessageBox::Yes);
        Click(&dialog, "pushDelete");
        QCOMPARE(seen.text, QString("Do you really want to remove this ID?"));
        QCOMPARE(QueryValue("SELECT COUNT(*) FROM tblId").toInt(), 0);
    }

    void filter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        const QStringList all{" lead", "Alphabet", "a_b", "alpha", "axb", "it's", "xlead"};
        QTest::newRow("blanks only") << "   " << all;
        QTest::newRow("leading blank kept") << " lead" << QStringList{" lead"};
        QTest::newRow("case") << "ALPHA" << QStringList{"Alphabet", "alpha"};
        QTest::newRow("quote") << "t's" << QStringList{"it's"};
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
            ExecQuery(QString("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (%1, 'alpha', ''), "
                              "(%1, 'Alphabet', ''), (%1, 'it''s', ''), (%1, 'a_b', ''), (%1, 'axb', ''), "
                              "(%1, ' lead', ''), (%1, 'xlead', '')")
                          .arg(owner));
        IdManagementDialog dialog(locker, "Web", nullptr);
        QTest::keyClicks(dialog.findChild<QLineEdit*>("lineEdit"), text);
        QCOMPARE(Names(View(&dialog)), names);
    }

    void cardAndNoteClicks()
    {
        const QString cards = InsertLocker("Cards", 2);
        ExecQuery(
            QString("INSERT INTO tblId2 (LOCKER_ID, NAME, CARD_NUMBER, PIN, CODE) VALUES (%1, 'V', '%2', "
                    "'%3', '%4')")
                .arg(cards, Encrypt("4111 1111"), Encrypt("1234"), Encrypt("987")));
        BankIdManagement card(cards, "A&lt;B", nullptr);
        auto* heading = card.findChild<QLabel*>("labelHeading");
        QCOMPARE(heading->textFormat(), Qt::PlainText); // the name as typed, not as markup
        QTableView* view = View(&card);
        QCOMPARE((QStringList{ClickCell(view, 0, 2), ClickCell(view, 0, 3), ClickCell(view, 0, 4)}),
                 (QStringList{"4111 1111", "1234", "987"}));

        // Newest day first; within a day by name, whatever the time.
        const QString notes = InsertLocker("Notes", 3);
        ExecQuery(QString("INSERT INTO tblId3 (LOCKER_ID, NAME, TIME_STAMP, NOTES) VALUES (%1, 'z', "
                          "'2024-05-03 01:00', "
                          "''), (%1, 'b', '2024-05-01 23:00', ''), (%1, 'a', '2024-05-01 09:00', '%2')")
                      .arg(notes, Encrypt("<p>Line <b>one</b></p><p>two &amp; more</p>")));
        DiaryManagement diary(notes, "Notes", nullptr);
        view = View(&diary);
        QCOMPARE(Names(view), (QStringList{"z", "a", "b"}));
        OnNextModal([](QWidget* notice) { Click(notice, "pushButton"); });
        QCOMPARE(ClickCell(view, 1, 3), QString("Line one\ntwo & more"));
    }

private:
    static QString Encrypt(const QString& text) { return BotanAdapter::GetInstance().Encrypt(text); }
    static void Click(QWidget* window, const char* name)
    {
        window->findChild<QAbstractButton*>(name)->click();
    }
    static QTableView* View(QWidget* list) { return list->findChild<QTableView*>("tableViewIds"); }

    static QStringList Names(QTableView* view)
    {
        QStringList names;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            names << view->model()->index(row, 1).data().toString();
        return names;
    }

    // Clicks a cell of the shown list and returns what the clipboard holds afterwards.
    static QString ClickCell(QTableView* view, int row, int column)
    {
        view->window()->show();
        QGuiApplication::clipboard()->setText("before");
        const QRect cell = view->visualRect(view->model()->index(row, column));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        return QGuiApplication::clipboard()->text();
    }

    QStringList openedUrls;
};

KESTROVA_TEST_MAIN(TestEntryLists)
#include "tst_entrylists.moc"
