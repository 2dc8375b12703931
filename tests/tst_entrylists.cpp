#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "entries/bankidmanagement.h"
#include "entries/diarymanagement.h"
#include "entries/idmanagementdialog.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QTextEdit>

namespace {

// Inserts one row; the values of `secret` columns are stored encrypted.
void AddRow(const QString& table, const QVariantMap& plain, const QVariantMap& secret = {})
{
    QStringList columns = plain.keys() + secret.keys();
    QSqlQuery query(CDBManager::GetInstance().GetDataBase());
    query.prepare("INSERT INTO " + table + " (" + columns.join(", ") + ") VALUES (" +
                  QStringList(QVector<QString>(columns.size(), "?").toList()).join(", ") + ")");
    for (const QVariant& value : plain)
        query.addBindValue(value);
    for (const QVariant& value : secret)
        query.addBindValue(BotanAdapter::GetInstance().Encrypt(value.toString()));
    if (!query.exec())
        qFatal("cannot add a row");
}

QTableView* Table(QWidget* dialog)
{
    return dialog->findChild<QTableView*>("tableViewIds");
}

QStringList Names(QWidget* dialog, int column = 1)
{
    QAbstractItemModel* model = Table(dialog)->model();
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, column).data().toString();
    return names;
}

void ClickCell(QWidget* dialog, int row, int column)
{
    QTableView* view = Table(dialog);
    const QRect rect = view->visualRect(view->model()->index(row, column));
    QVERIFY(!rect.isEmpty());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

void Show(QWidget* dialog)
{
    dialog->resize(900, 700);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
}

void Click(QWidget* dialog, const char* button)
{
    dialog->findChild<QPushButton*>(button)->click();
}

} // namespace

class TestEntryLists : public QObject
{
    Q_OBJECT

public slots:
    void OpenUrl(const QUrl& url) { openedUrls << url.toString(); }

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler("http", this, "OpenUrl");
        Utility::GetInstance().mainWindow = &mainWindow;
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler("http");
        Utility::GetInstance().mainWindow = nullptr;
    }
    void init()
    {
        TestSupport::FreshDataFileWithKeys();
        openedUrls.clear();
    }

    void addedWebIdIsListedAndCopied()
    {
        const QString locker = TestSupport::InsertLocker("Web", 1);
        TestSupport::InsertLocker("Other", 1);
        IdManagementDialog dialog(locker, "Web", nullptr);
        Show(&dialog);
        QCOMPARE(dialog.findChild<QLabel*>("labelHeading")->text(), QString("Web - SECURE WEB IDs"));
        QVERIFY(dialog.findChild<QPushButton*>("pushBack")->isHidden());
        QCOMPARE(Names(&dialog), QStringList());

        TestSupport::MessageBoxSeen added;
        TestSupport::OnNextModal([&added](QWidget* editor) {
            QCOMPARE(editor->parentWidget(), Utility::GetInstance().mainWindow);
            QTest::keyClicks(editor->findChild<QLineEdit*>("lineName"), "Mail");
            QTest::keyClicks(editor->findChild<QLineEdit*>("lineURL"), "http://mail.example/in");
            QTest::keyClicks(editor->findChild<QLineEdit*>("lineUser"), "me@example");
            QTest::keyClicks(editor->findChild<QLineEdit*>("linePassword"), "s3cret pass");
            TestSupport::AnswerNextMessageBox(&added);
            Click(editor, "pushAdd");
            Click(editor, "pushClose");
        });
        Click(&dialog, "pushAdd");
        QCOMPARE(added.title, QString("Add ID"));
        QCOMPARE(added.text, QString("New ID details added successfully!"));
        QCOMPARE(Names(&dialog), QStringList{"Mail"});
        QVERIFY(Table(&dialog)->isColumnHidden(0));

        const QString stored = TestSupport::QueryValue("SELECT PASSWORD FROM tblId").toString();
        QVERIFY(!stored.contains("s3cret"));
        QCOMPARE(BotanAdapter::GetInstance().Decrypt(stored), QString("s3cret pass"));

        QClipboard* clipboard = QGuiApplication::clipboard();
        ClickCell(&dialog, 0, 3);
        QCOMPARE(clipboard->text(), QString("s3cret pass"));
        QVERIFY(!Table(&dialog)->selectionModel()->hasSelection());
        ClickCell(&dialog, 0, 2);
        QCOMPARE(clipboard->text(), QString("me@example"));
        ClickCell(&dialog, 0, 1);
        QCOMPARE(clipboard->text(), QString());

        // The URL column: the notice, the browser, then the password.
        clipboard->setText("before");
        TestSupport::OnNextModal([](QWidget* notice) {
            QCOMPARE(notice->windowTitle(), QString("Open URL"));
            Click(notice, "pushButton");
        });
        ClickCell(&dialog, 0, 4);
        QCOMPARE(openedUrls, QStringList{"http://mail.example/in"});
        QCOMPARE(clipboard->text(), QString("s3cret pass"));

        // Silenced notice: straight to the browser.
        Utility::GetInstance().settings->setValue("err_msg_8", 1);
        ClickCell(&dialog, 0, 4);
        QCOMPARE(openedUrls.size(), 2);
        Utility::GetInstance().settings->remove("err_msg_8");
    }

    void webIdCells()
    {
        const QString locker = TestSupport::InsertLocker("Web", 1);
        AddRow("tblId", {{"LOCKER_ID", locker}, {"NAME", "Mail"}, {"URL", "x"}}, {{"USER_NAME", "u"}});
        IdManagementDialog dialog(locker, "Web", nullptr);
        QAbstractItemModel* model = Table(&dialog)->model();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        const char* tips[] = {nullptr, nullptr, "Click to copy User Name", "Click to copy Password",
                              "Click to Launch URL"};
        for (int column = 1; column < 5; ++column) {
            const QModelIndex index = model->index(0, column);
            QVERIFY(!qvariant_cast<QPixmap>(index.data(Qt::DecorationRole)).isNull());
            QCOMPARE(index.data(Qt::ToolTipRole).toString(), QString(tips[column]));
        }
        QCOMPARE(model->index(0, 1).data().toString(), QString("Mail"));
        QCOMPARE(model->index(0, 3).data().toString(), QString());
    }

    void filter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        const QStringList all{" lead", "100%", "Alphabet", "a_b", "alpha", "axb", "beta", "it's"};
        QTest::newRow("empty") << "" << all;
        QTest::newRow("blanks only") << "   " << all;
        QTest::newRow("case of ASCII letters") << "ALPHA" << QStringList{"Alphabet", "alpha"};
        QTest::newRow("leading blank kept") << " lead" << QStringList{" lead"};
        QTest::newRow("quote") << "'" << QStringList{"it's"};
        QTest::newRow("quote inside") << "t's" << QStringList{"it's"};
        QTest::newRow("percent") << "%" << all;
        QTest::newRow("underscore") << "a_b" << QStringList{"a_b", "axb"};
        QTest::newRow("no match") << "zz" << QStringList();
        QTest::newRow("SQL text") << "') OR 1=1 --" << QStringList();
    }

    void filter()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        const QString locker = TestSupport::InsertLocker("Web", 1);
        const QString other = TestSupport::InsertLocker("Other", 1);
        for (const char* name : {"beta", "alpha", "Alphabet", "it's", "100%", "a_b", "axb", " lead"})
            AddRow("tblId", {{"LOCKER_ID", locker}, {"NAME", name}, {"USER_NAME", ""}});
        AddRow("tblId", {{"LOCKER_ID", other}, {"NAME", "alpha"}, {"USER_NAME", ""}});

        IdManagementDialog dialog(locker, "Web", nullptr);
        QTest::keyClicks(dialog.findChild<QLineEdit*>("lineEdit"), text);
        QCOMPARE(Names(&dialog), names);
        QVERIFY(Table(&dialog)->isColumnHidden(0));
    }

    void editAndDelete()
    {
        const QString locker = TestSupport::InsertLocker("Web", 1);
        AddRow("tblId", {{"LOCKER_ID", locker}, {"NAME", "one"}, {"URL", "u"}},
               {{"USER_NAME", "u1"}, {"PASSWORD", "p1"}});
        AddRow("tblId", {{"LOCKER_ID", locker}, {"NAME", "two"}, {"URL", "u"}},
               {{"USER_NAME", "u2"}, {"PASSWORD", "p2"}});
        IdManagementDialog dialog(locker, "Web", nullptr);
        Show(&dialog);

        TestSupport::MessageBoxSeen seen;
        TestSupport::AnswerNextMessageBox(&seen);
        Click(&dialog, "pushEdit");
        QCOMPARE(seen.title, QString("Edit"));
        QCOMPARE(seen.text, QString("Please select the ID which you want to edit"));
        Click(&dialog, "pushDelete"); // no current row: nothing happens

        // Edit acts on the row last clicked although the click cleared the selection.
        ClickCell(&dialog, 1, 3);
        QString edited;
        TestSupport::OnNextModal([&edited](QWidget* editor) {
            edited = editor->findChild<QLineEdit*>("lineName")->text();
            Click(editor, "pushClose");
        });
        Click(&dialog, "pushEdit");
        QCOMPARE(edited, QString("two"));

        // The refresh leaves no current row.
        TestSupport::AnswerNextMessageBox(nullptr);
        Click(&dialog, "pushEdit");

        ClickCell(&dialog, 0, 1);
        TestSupport::AnswerNextMessageBox(&seen, QMessageBox::No);
        Click(&dialog, "pushDelete");
        QCOMPARE(seen.title, QString("Delete ID"));
        QCOMPARE(seen.text, QString("Do you really want to remove this ID?"));
        QCOMPARE(Names(&dialog), (QStringList{"one", "two"}));
        TestSupport::AnswerNextMessageBox(&seen, QMessageBox::Yes);
        Click(&dialog, "pushDelete");
        QCOMPARE(Names(&dialog), QStringList{"two"});
        QCOMPARE(TestSupport::QueryValue("SELECT COUNT(*) FROM tblId").toInt(), 1);

        // A double click opens the editor of that row.
        edited.clear();
        TestSupport::OnNextModal([&edited](QWidget* editor) {
            edited = editor->findChild<QLineEdit*>("lineName")->text();
            Click(editor, "pushClose");
        });
        QTableView* view = Table(&dialog);
        const QPoint cell = view->visualRect(view->model()->index(0, 1)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(edited, QString("two"));
    }

    void bankCardCopies()
    {
        const QString locker = TestSupport::InsertLocker("Cards", 2);
        AddRow("tblId2", {{"LOCKER_ID", locker}, {"NAME", "Visa"}},
               {{"CARD_NUMBER", "4111 1111"}, {"PIN", "1234"}, {"CODE", "987"}});
        BankIdManagement dialog(locker, "Cards", nullptr);
        Show(&dialog);
        QCOMPARE(dialog.findChild<QLabel*>("labelHeading")->text(), QString("Cards - SECURE BANK CARDS"));
        QCOMPARE(Table(&dialog)->model()->index(0, 4).data(Qt::ToolTipRole).toString(),
                 QString("Click to copy three digit code"));

        const QStringList expected{"", "", "4111 1111", "1234", "987"};
        for (int column = 1; column < 5; ++column) {
            QGuiApplication::clipboard()->setText("before");
            ClickCell(&dialog, 0, column);
            QCOMPARE(QGuiApplication::clipboard()->text(), expected[column]);
        }
    }

    void notesOrderAndPlainTextCopy()
    {
        const QString locker = TestSupport::InsertLocker("Notes", 3);
        AddRow("tblId3", {{"LOCKER_ID", locker}, {"NAME", "b"}, {"TIME_STAMP", "2024-05-01 09:00:00"}},
               {{"NOTES", "<p>Line <b>one</b></p><p>two &amp; more</p>"}});
        AddRow("tblId3", {{"LOCKER_ID", locker}, {"NAME", "a"}, {"TIME_STAMP", "2024-05-01 23:00:00"}});
        AddRow("tblId3", {{"LOCKER_ID", locker}, {"NAME", "c"}, {"TIME_STAMP", "2024-05-03 01:00:00"}});
        AddRow("tblId3", {{"LOCKER_ID", locker}, {"NAME", "z"}, {"TIME_STAMP", "2024-04-30 12:00:00"}});
        DiaryManagement dialog(locker, "Notes", nullptr);
        Show(&dialog);
        QCOMPARE(Names(&dialog), (QStringList{"c", "a", "b", "z"}));
        QCOMPARE(Names(&dialog, 2).first(), QString("2024-05-03 01:00:00"));

        TestSupport::OnNextModal([](QWidget* notice) {
            QCOMPARE(notice->windowTitle(), QString("Copy Text"));
            Click(notice, "pushButton");
        });
        ClickCell(&dialog, 2, 3);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("Line one\ntwo & more"));
        ClickCell(&dialog, 2, 2);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());

        TestSupport::MessageBoxSeen seen;
        TestSupport::AnswerNextMessageBox(&seen, QMessageBox::Yes);
        Click(&dialog, "pushDelete");
        QCOMPARE(seen.title, QString("Delete Note"));
        QCOMPARE(Names(&dialog), (QStringList{"c", "a", "z"}));
    }

    void largeLockerStaysQuick()
    {
        const int count = 3000;
        const QString locker = TestSupport::InsertLocker("Big", 1);
        const QString secret = BotanAdapter::GetInstance().Encrypt("secret");
        QSqlDatabase& db = CDBManager::GetInstance().GetDataBase();
        db.transaction();
        QSqlQuery query(db);
        query.prepare("INSERT INTO tblId (LOCKER_ID, NAME, URL, USER_NAME, PASSWORD, NOTES) "
                      "VALUES (?, ?, 'http://x', ?, ?, ?)");
        for (int i = 0; i < count; ++i) {
            query.addBindValue(locker);
            query.addBindValue(QString("Entry %1").arg(i, 4, 10, QChar('0')));
            query.addBindValue(secret);
            query.addBindValue(secret);
            query.addBindValue(secret);
            QVERIFY(query.exec());
        }
        db.commit();

        QElapsedTimer timer;
        timer.start();
        IdManagementDialog dialog(locker, "Big", nullptr);
        Show(&dialog);
        const qint64 opening = timer.elapsed();

        auto* lineEdit = dialog.findChild<QLineEdit*>("lineEdit");
        QTest::keyClicks(lineEdit, "Entry 1");
        timer.restart();
        QTest::keyClick(lineEdit, '2');
        QCoreApplication::processEvents();
        const qint64 filtering = timer.elapsed();
        QCOMPARE(Table(&dialog)->model()->rowCount(), 100);

        timer.restart();
        lineEdit->clear();
        QCoreApplication::processEvents();
        const qint64 clearing = timer.elapsed();

        qInfo("%d web IDs: opening %lld ms, filter keystroke %lld ms, clearing the filter %lld ms", count,
              opening, filtering, clearing);
    }

private:
    QWidget mainWindow;
    QStringList openedUrls;
};

KESTROVA_TEST_MAIN(TestEntryLists)
#include "tst_entrylists.moc"
