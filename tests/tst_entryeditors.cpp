#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "core/entrystore.h"
#include "entries/addeditbankid.h"
#include "entries/addeditdiarynote.h"
#include "entries/addeditiddialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QTextDocumentFragment>
#include <QTextEdit>

using namespace TestSupport;

class TestEntryEditors : public QObject
{
    Q_OBJECT

private slots:
    void init() { FreshDataFileWithKeys(); }

    void requiredFieldsAndDuplicateName_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("messages");
        const QString name = "Please enter alpha numeric name or alias of ID.";
        QTest::newRow("web ID") << 1
                                << QStringList{name, "Please enter URL or Physical Path of Application",
                                               "Please enter user name or login ID",
                                               "Please enter password for this URL or application"};
        QTest::newRow("bank card") << 2 << QStringList{name};
        QTest::newRow("note") << 3 << QStringList{"Please enter alpha numeric name or alias of note."};
    }

    void requiredFieldsAndDuplicateName()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, messages);
        const QString locker = InsertLocker("Mine", kind);
        // The same name in another locker does not count.
        QVERIFY(EntryStore::Add(kind, InsertLocker("Other", kind), {{"NAME", "O'Brien"}}));
        const auto editor = MakeEditor(kind, locker);
        const char* fields[] = {"lineName", "lineURL", "lineUser", "linePassword"};
        for (int i = 0; i < messages.size(); ++i) {
            QCOMPARE(Save(editor.get()), messages[i]);
            Line(editor.get(), fields[i])->setText(i == 0 ? "O'Brien" : " "); // a blank is not empty
        }
        const QString noun = kind == 3 ? "Note" : "ID",
                      table = QStringList{"tblId", "tblId2", "tblId3"}[kind - 1];
        QCOMPARE(Save(editor.get()), QString("New %1 details added successfully!").arg(noun));
        QCOMPARE(Save(editor.get()),
                 QString("%1 with this name already exists. Please choose another name.").arg(noun));
        QCOMPARE(Value("SELECT GROUP_CONCAT(NAME) FROM " + table + " WHERE LOCKER_ID = " + locker), "O'Brien");
    }

    void editKeepsOtherFields_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("web ID") << 1;
        QTest::newRow("bank card") << 2;
        QTest::newRow("note") << 3;
    }

    // An edit that changes the name stores every other field back exactly as
    // it was, text that looks like markup included.
    void editKeepsOtherFields()
    {
        QFETCH(int, kind);
        const QString locker = InsertLocker("Mine", kind);
        const QString notes = "PIN is <b>1234</b>\nsecond line, a &lt; b";
        const auto adder = MakeEditor(kind, locker);
        for (QLineEdit* line : adder->findChildren<QLineEdit*>())
            line->setText(line->objectName() + " <i>&amp;</i>");
        adder->findChild<QTextEdit*>("textNotes")->setPlainText(notes);
        Save(adder.get());
        const QString id = Value("SELECT ID FROM " + EntryStore::Table(kind));
        EntryFields before, after;
        QVERIFY(EntryStore::Read(kind, id, &before));
        if (kind != 3)
            QCOMPARE(before.value("NOTES"), notes);

        const auto editor = MakeEditor(kind, locker);
        editor->SetEditMode(id);
        Line(editor.get(), "lineName")->setText("renamed");
        Save(editor.get());
        QVERIFY(EntryStore::Read(kind, id, &after));
        before.insert("NAME", "renamed");
        before.remove("TIME_STAMP"); // the time of the save
        // A note's rich text may be written anew; what it says stays the same.
        if (kind == 3) {
            for (EntryFields* fields : {&before, &after})
                (*fields)["NOTES"] = QTextDocumentFragment::fromHtml(fields->value("NOTES")).toPlainText();
        }
        for (const QString& column : before.keys())
            QCOMPARE(after.value(column), before.value(column));
    }

    void editReencryptsAndFailedSavesWriteNothing()
    {
        const QString locker = InsertLocker("Web", 1);
        AddEditIdDialog editor(locker, &mainWindow);
        for (const char* field : {"lineName", "lineURL", "lineUser", "linePassword"})
            Line(&editor, field)->setText(field);
        Save(&editor);
        const QString id = Value("SELECT ID FROM tblId"), oldCipher = Value("SELECT PASSWORD FROM tblId");
        QVERIFY(!oldCipher.contains("linePassword"));

        editor.SetEditMode("999"); // a row that is gone
        QCOMPARE(Save(&editor), QString("Error occurred while updating ID."));
        editor.SetEditMode(id);
        Line(&editor, "linePassword")->setText("new password");
        QCOMPARE(Save(&editor), QString("ID details updated successfully!"));
        QCOMPARE(Value("SELECT COUNT(*) || ID FROM tblId"), "1" + id);
        const QString newCipher = Value("SELECT PASSWORD FROM tblId");
        QCOMPARE(BotanAdapter::GetInstance().Decrypt(newCipher), QString("new password"));

        // No usable keys: nothing is stored, neither over the old row nor as a new one.
        BotanAdapter::GetInstance().ForgetKeys();
        QCOMPARE(Save(&editor), QString("Error occurred while updating ID."));
        AddEditBankID card(locker, &mainWindow);
        Line(&card, "lineName")->setText("Visa");
        QCOMPARE(Save(&card), QString("Error occurred while adding new ID."));
        QCOMPARE(Value("SELECT (SELECT COUNT(*) FROM tblId2) || COUNT(*) || PASSWORD FROM tblId"),
                 "01" + newCipher);
    }

    void generateFillsWebPasswordOnlyWhenTaken()
    {
        AddEditIdDialog editor(InsertLocker("Web", 1), &mainWindow);
        Line(&editor, "linePassword")->setText("typed");
        for (const QString button : {"pushClose", "pushSelect"}) {
            QString generated;
            bool noticeShown = false;
            OnNextModal([&](QWidget* generator) {
                Click(generator, "pushGenrate");
                generated = generator->findChild<QLabel*>("labelPassword")->text();
                OnNextModal([&](QWidget* notice) { noticeShown = Click(notice, "pushButton"); }, generator);
                Click(generator, button);
            });
            Click(&editor, "pushGenerate");
            QVERIFY(noticeShown); // the clipboard notice shows even when nothing is taken
            QCOMPARE(generated.size(), 8);
            QCOMPARE(Line(&editor, "linePassword")->text(),
                     button == "pushSelect" ? generated : QString("typed"));
        }
    }

private:
    std::unique_ptr<EntryEditor> MakeEditor(int kind, const QString& locker)
    {
        if (kind == 1)
            return std::make_unique<AddEditIdDialog>(locker, &mainWindow);
        if (kind == 2)
            return std::make_unique<AddEditBankID>(locker, &mainWindow);
        return std::make_unique<AddEditDiaryNote>(locker, &mainWindow);
    }
    // Returns false when there is no such button.
    static bool Click(QWidget* window, const QString& name)
    {
        return QMetaObject::invokeMethod(window->findChild<QAbstractButton*>(name), "click");
    }
    static QLineEdit* Line(QWidget* editor, const char* name) { return editor->findChild<QLineEdit*>(name); }
    static QString Value(const QString& sql) { return QueryValue(sql).toString(); }
    // Presses Add (or Update) and returns the text of the message box that follows.
    static QString Save(QWidget* editor)
    {
        MessageBoxSeen seen;
        AnswerNextMessageBox(&seen);
        Click(editor, "pushAdd");
        return seen.text;
    }

    QWidget mainWindow;
};

KESTROVA_TEST_MAIN(TestEntryEditors)
#include "tst_entryeditors.moc"
