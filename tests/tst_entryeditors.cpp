#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "entries/addeditbankid.h"
#include "entries/addeditdiarynote.h"
#include "entries/addeditiddialog.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

namespace {

QLineEdit* Line(QWidget* editor, const char* name)
{
    return editor->findChild<QLineEdit*>(name);
}

void Fill(QWidget* editor, const char* name, const QString& text)
{
    Line(editor, name)->setText(text);
}

// Presses Add (or Update) and answers the message box that follows.
TestSupport::MessageBoxSeen Save(QWidget* editor)
{
    TestSupport::MessageBoxSeen seen;
    TestSupport::AnswerNextMessageBox(&seen);
    editor->findChild<QPushButton*>("pushAdd")->click();
    return seen;
}

QString Decrypted(const QString& sql)
{
    return BotanAdapter::GetInstance().Decrypt(TestSupport::QueryValue(sql).toString());
}

int Count(const QString& table)
{
    return TestSupport::QueryValue("SELECT COUNT(*) FROM " + table).toInt();
}

} // namespace

class TestEntryEditors : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        TestSupport::FreshDataFileWithKeys();
        webLocker = TestSupport::InsertLocker("Web", 1);
        cardLocker = TestSupport::InsertLocker("Cards", 2);
        noteLocker = TestSupport::InsertLocker("Notes", 3);
    }

    void webIdRequiredFieldsInOrder()
    {
        AddEditIdDialog editor(webLocker, &mainWindow);
        QCOMPARE(editor.windowTitle(), QString("Add/Edit Web ID"));
        QCOMPARE(editor.findChild<QPushButton*>("pushGenerate")->text(), QString("   Generate   "));
        const struct
        {
            const char* field;
            const char* message;
        } steps[] = {
            {"lineName", "Please enter alpha numeric name or alias of ID."},
            {"lineURL", "Please enter URL or Physical Path of Application"},
            {"lineUser", "Please enter user name or login ID"},
            {"linePassword", "Please enter password for this URL or application"},
        };
        for (const auto& step : steps) {
            const TestSupport::MessageBoxSeen seen = Save(&editor);
            QCOMPARE(seen.title, QString("Error"));
            QCOMPARE(seen.icon, QMessageBox::Warning);
            QCOMPARE(seen.text, QString(step.message));
            Fill(&editor, step.field, " "); // a blank is not empty
        }
        QCOMPARE(Count("tblId"), 0);
        QCOMPARE(Save(&editor).text, QString("New ID details added successfully!"));
        QCOMPARE(TestSupport::QueryValue("SELECT NAME FROM tblId").toString(), QString(" "));
    }

    void duplicateNames()
    {
        AddEditIdDialog editor(webLocker, &mainWindow);
        Fill(&editor, "lineURL", "u");
        Fill(&editor, "lineUser", "me");
        Fill(&editor, "linePassword", "pw");
        const QString taken = "ID with this name already exists. Please choose another name.";
        for (const QString name : {"O'Brien", "a%2b", "Mail"}) {
            Fill(&editor, "lineName", name);
            QCOMPARE(Save(&editor).title, QString("Add ID"));
            QCOMPARE(Save(&editor).text, taken); // the editor stays in add mode after a save
        }
        Fill(&editor, "lineName", "mail"); // compared exactly
        QCOMPARE(Save(&editor).title, QString("Add ID"));
        QCOMPARE(TestSupport::QueryValue("SELECT COUNT(*) FROM tblId WHERE NAME = 'O''Brien'").toInt(), 1);

        // The same name in another locker is no duplicate.
        const QString otherLocker = TestSupport::InsertLocker("Web 2", 1);
        AddEditIdDialog other(otherLocker, &mainWindow);
        for (const char* field : {"lineName", "lineURL", "lineUser", "linePassword"})
            Fill(&other, field, Line(&editor, field)->text());
        QCOMPARE(Save(&other).title, QString("Add ID"));

        // Renaming onto an existing name is allowed when editing.
        const QString id = TestSupport::QueryValue("SELECT ID FROM tblId WHERE NAME = 'Mail'").toString();
        AddEditIdDialog edit(webLocker, &mainWindow);
        edit.SetEditMode(id);
        Fill(&edit, "lineName", "O'Brien");
        QCOMPARE(Save(&edit).text, QString("ID details updated successfully!"));
    }

    void editKeepsRowAndReencrypts()
    {
        AddEditIdDialog add(webLocker, &mainWindow);
        Fill(&add, "lineName", "Bank");
        Fill(&add, "lineURL", "https://bank.example");
        Fill(&add, "lineUser", "customer 7");
        Fill(&add, "linePassword", "old password");
        add.findChild<QTextEdit*>("textNotes")->setPlainText("<b>not markup</b>\nline two");
        Save(&add);
        const QString id = TestSupport::QueryValue("SELECT ID FROM tblId").toString();
        const QString oldCipher = TestSupport::QueryValue("SELECT PASSWORD FROM tblId").toString();
        QVERIFY(!oldCipher.contains("old password"));
        QCOMPARE(Decrypted("SELECT NOTES FROM tblId"), QString("<b>not markup</b>\nline two"));
        QVERIFY(!TestSupport::QueryValue("SELECT USER_NAME FROM tblId").toString().contains("customer"));

        AddEditIdDialog edit(webLocker, &mainWindow);
        edit.SetEditMode(id);
        QCOMPARE(edit.findChild<QPushButton*>("pushAdd")->text(), QString("Update"));
        QCOMPARE(Line(&edit, "lineUser")->text(), QString("customer 7"));
        QCOMPARE(Line(&edit, "linePassword")->text(), QString("old password"));
        QCOMPARE(Line(&edit, "linePassword")->echoMode(), QLineEdit::Password);
        edit.findChild<QCheckBox*>("checkBox")->setChecked(true);
        QCOMPARE(Line(&edit, "linePassword")->echoMode(), QLineEdit::Normal);

        Fill(&edit, "linePassword", "new password");
        const TestSupport::MessageBoxSeen seen = Save(&edit);
        QCOMPARE(seen.title, QString("Update ID"));
        QCOMPARE(seen.text, QString("ID details updated successfully!"));
        QCOMPARE(Count("tblId"), 1);
        QCOMPARE(TestSupport::QueryValue("SELECT ID FROM tblId").toString(), id);
        QVERIFY(TestSupport::QueryValue("SELECT PASSWORD FROM tblId").toString() != oldCipher);
        QCOMPARE(Decrypted("SELECT PASSWORD FROM tblId"), QString("new password"));
        QCOMPARE(Decrypted("SELECT USER_NAME FROM tblId"), QString("customer 7"));
    }

    void failuresWriteNothing()
    {
        // A row that is gone: the form stays empty and the update is not reported as done.
        AddEditIdDialog missing(webLocker, &mainWindow);
        missing.SetEditMode("999");
        QCOMPARE(missing.findChild<QPushButton*>("pushAdd")->text(), QString("Update"));
        QCOMPARE(Line(&missing, "lineName")->text(), QString());
        for (const char* field : {"lineName", "lineURL", "lineUser", "linePassword"})
            Fill(&missing, field, "x");
        QCOMPARE(Save(&missing).text, QString("Error occurred while updating ID."));

        // A locker without a row: the foreign key refuses the insert.
        AddEditDiaryNote orphan("999", &mainWindow);
        Fill(&orphan, "lineName", "n");
        QCOMPARE(Save(&orphan).text, QString("Error occurred while adding new Note."));

        // No usable keys: nothing is stored, neither as a new row nor over an old one.
        AddEditBankID card(cardLocker, &mainWindow);
        Fill(&card, "lineName", "Visa");
        Fill(&card, "linePin", "1234");
        Save(&card);
        const QString id = TestSupport::QueryValue("SELECT ID FROM tblId2").toString();
        const QString pin = TestSupport::QueryValue("SELECT PIN FROM tblId2").toString();
        BotanAdapter::GetInstance().ForgetKeys();
        AddEditBankID another(cardLocker, &mainWindow);
        Fill(&another, "lineName", "Amex");
        TestSupport::MessageBoxSeen seen = Save(&another);
        QCOMPARE(seen.title, QString("Error"));
        QCOMPARE(seen.text, QString("Error occurred while adding new ID."));
        QCOMPARE(Count("tblId2"), 1);
        AddEditBankID edit(cardLocker, &mainWindow);
        edit.SetEditMode(id);
        Fill(&edit, "lineName", "Visa");
        QCOMPARE(Save(&edit).text, QString("Error occurred while updating ID."));
        QCOMPARE(TestSupport::QueryValue("SELECT PIN FROM tblId2").toString(), pin);
    }

    void generateFillsWebPasswordOnlyWhenTaken()
    {
        AddEditIdDialog editor(webLocker, &mainWindow);
        Fill(&editor, "linePassword", "typed");
        bool noticeShown = false;

        // Generate and close without taking it: the field keeps its text, the notice still shows.
        auto runGenerator = [&](const char* button, QString* shownPassword) {
            noticeShown = false;
            TestSupport::OnNextModal([&, button, shownPassword](QWidget* generator) {
                generator->findChild<QPushButton*>("pushGenrate")->click();
                *shownPassword = generator->findChild<QLabel*>("labelPassword")->text();
                TestSupport::OnNextModal(
                    [&](QWidget* notice) {
                        noticeShown = notice->findChild<QPushButton*>("pushButton") != nullptr;
                        notice->findChild<QPushButton*>("pushButton")->click();
                    },
                    generator);
                generator->findChild<QPushButton*>(button)->click();
            });
            editor.findChild<QPushButton*>("pushGenerate")->click();
        };
        QString generated;
        runGenerator("pushClose", &generated);
        QVERIFY(noticeShown);
        QCOMPARE(Line(&editor, "linePassword")->text(), QString("typed"));

        runGenerator("pushSelect", &generated);
        QVERIFY(noticeShown);
        QCOMPARE(generated.size(), 8);
        QCOMPARE(Line(&editor, "linePassword")->text(), generated);
    }

    void bankCardFields()
    {
        AddEditBankID editor(cardLocker, &mainWindow);
        QCOMPARE(editor.size(), QSize(501, 565));
        QCOMPARE(Save(&editor).text, QString("Please enter alpha numeric name or alias of ID."));
        Fill(&editor, "lineName", "Visa");
        QCOMPARE(Save(&editor).text, QString("New ID details added successfully!"));
        QCOMPARE(Save(&editor).text,
                 QString("ID with this name already exists. Please choose another name."));
        QCOMPARE(Decrypted("SELECT CODE FROM tblId2"), QString());
        QCOMPARE(TestSupport::QueryValue("SELECT CODE FROM tblId2").toString().size(), 24);

        const QString id = TestSupport::QueryValue("SELECT ID FROM tblId2").toString();
        AddEditBankID edit(cardLocker, &mainWindow);
        edit.SetEditMode(id);
        Fill(&edit, "lineCardNumber", "4111 1111 1111 1111");
        Fill(&edit, "linePin", "0042");
        Fill(&edit, "lineIssueDate", "01/20");
        Fill(&edit, "lineExpiryDate", "12/29");
        Fill(&edit, "lineCode", "987");
        QCOMPARE(Save(&edit).title, QString("Update ID"));

        AddEditBankID reread(cardLocker, &mainWindow);
        reread.SetEditMode(id);
        for (const char* field : {"lineCardNumber", "linePin", "lineIssueDate", "lineExpiryDate", "lineCode"})
            QCOMPARE(Line(&reread, field)->text(), Line(&edit, field)->text());
        QCOMPARE(TestSupport::QueryValue("SELECT EXPIRY_DATE FROM tblId2").toString(), QString("12/29"));
        QVERIFY(!TestSupport::QueryValue("SELECT CARD_NUMBER FROM tblId2").toString().contains("4111"));
        reread.findChild<QCheckBox*>("checkShowCode")->setChecked(true);
        QCOMPARE(Line(&reread, "lineCode")->echoMode(), QLineEdit::Normal);
        QCOMPARE(Line(&reread, "linePin")->echoMode(), QLineEdit::Password);
    }

    void noteKeepsHtmlAndStampsEverySave()
    {
        AddEditDiaryNote editor(noteLocker, &mainWindow);
        QCOMPARE(editor.size(), QSize(800, 600));
        QCOMPARE(Save(&editor).text, QString("Please enter alpha numeric name or alias of note."));
        Fill(&editor, "lineName", "Diary");
        auto* notes = editor.findChild<QTextEdit*>("textNotes");
        notes->setHtml("<p>Dear <b>diary</b></p>");
        const TestSupport::MessageBoxSeen seen = Save(&editor);
        QCOMPARE(seen.title, QString("Add Note"));
        QCOMPARE(seen.text, QString("New Note details added successfully!"));
        QCOMPARE(Save(&editor).text,
                 QString("Note with this name already exists. Please choose another name."));
        QCOMPARE(Decrypted("SELECT NOTES FROM tblId3"), notes->toHtml());

        const QDateTime stamp = QDateTime::fromString(
            TestSupport::QueryValue("SELECT TIME_STAMP FROM tblId3").toString(), "yyyy-MM-dd HH:mm:ss");
        QVERIFY(stamp.isValid());
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 5);

        // An update without changes still takes the time of the save.
        ExecQuery("UPDATE tblId3 SET TIME_STAMP = '2001-01-01 00:00:00'");
        AddEditDiaryNote edit(noteLocker, &mainWindow);
        edit.SetEditMode(TestSupport::QueryValue("SELECT ID FROM tblId3").toString());
        QVERIFY(edit.findChild<QTextEdit*>("textNotes")->toHtml().contains("font-weight:600"));
        QCOMPARE(Save(&edit).text, QString("Note details updated successfully!"));
        QVERIFY(TestSupport::QueryValue("SELECT TIME_STAMP FROM tblId3")
                    .toString()
                    .startsWith(QDate::currentDate().toString("yyyy-MM-dd")));
    }

private:
    QWidget mainWindow;
    QString webLocker;
    QString cardLocker;
    QString noteLocker;
};

KESTROVA_TEST_MAIN(TestEntryEditors)
#include "tst_entryeditors.moc"
