#include "testsupport.h"

#include "core/entrystore.h"
#include "entries/addeditbankid.h"
#include "entries/addeditdiarynote.h"
#include "entries/addeditiddialog.h"

class TestEntryEditors : public QObject
{
    Q_OBJECT

    QWidget mainWindow;

    std::unique_ptr<EntryEditor> MakeEditor(int kind, const QString& locker)
    {
        if (kind == 1)
            return std::make_unique<AddEditIdDialog>(locker, &mainWindow);
        if (kind == 2)
            return std::make_unique<AddEditBankID>(locker, &mainWindow);
        return std::make_unique<AddEditDiaryNote>(locker, &mainWindow);
    }

private slots:
    void init() { FreshDataFileWithKeys(); }

    void kinds_data()
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

    void requiredFieldsAndDuplicateName_data() { kinds_data(); }
    void requiredFieldsAndDuplicateName()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, messages);
        const QString locker = InsertLocker("Mine", kind);
        // The same name in another locker does not count.
        QVERIFY(EntryStore::Add(kind, InsertLocker("Other", kind), {{"NAME", "O'Brien"}}));
        const auto editor = MakeEditor(kind, locker);
        for (int i = 0; i < messages.size(); ++i) {
            QCOMPARE(Submit(editor.get(), "pushAdd"), messages[i]);
            Child(editor.get(), WebIdLines[i])->setText(i == 0 ? "O'Brien" : " "); // a blank is not empty
        }
        const QString noun = kind == 3 ? "Note" : "ID";
        QCOMPARE(Submit(editor.get(), "pushAdd"), QString("New %1 details added successfully!").arg(noun));
        QCOMPARE(Submit(editor.get(), "pushAdd"),
                 QString("%1 with this name already exists. Please choose another name.").arg(noun));
        QCOMPARE(QueryValue("SELECT GROUP_CONCAT(NAME) FROM " + EntryStore::Table(kind) +
                            " WHERE LOCKER_ID = " + locker)
                     .toString(),
                 "O'Brien");
    }

    // An edit that changes the name stores every other field back exactly as
    // it was, text that looks like markup included.
    void editKeepsOtherFields_data() { kinds_data(); }
    void editKeepsOtherFields()
    {
        QFETCH(int, kind);
        const QString locker = InsertLocker("Mine", kind);
        const QString notes = "PIN is <b>1234</b>\nsecond line, a &lt; b";
        const auto editor = MakeEditor(kind, locker);
        for (QLineEdit* line : editor->findChildren<QLineEdit*>())
            line->setText(line->objectName() + " <i>&amp;</i>");
        Child<QTextEdit>(editor.get(), "textNotes")->setPlainText(notes);
        Submit(editor.get(), "pushAdd");
        const QString id = QueryValue("SELECT ID FROM " + EntryStore::Table(kind)).toString();
        EntryFields before, after;
        QVERIFY(EntryStore::Read(kind, id, &before));
        if (kind != 3)
            QCOMPARE(before.value("NOTES"), notes);

        const auto edit = MakeEditor(kind, locker);
        edit->SetEditMode(id);
        Submit(edit.get(), "pushAdd", {"lineName"}, {"renamed"});
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
        Submit(&editor, "pushAdd", WebIdLines, WebIdLines);
        const QString id = QueryValue("SELECT ID FROM tblId").toString();
        QVERIFY(!QueryValue("SELECT PASSWORD FROM tblId").toString().contains("linePassword"));

        editor.SetEditMode("999"); // a row that is gone
        QCOMPARE(Submit(&editor, "pushAdd"), QString("Error occurred while updating ID."));
        editor.SetEditMode(id);
        QCOMPARE(Submit(&editor, "pushAdd", {"linePassword"}, {"new password"}),
                 QString("ID details updated successfully!"));
        QCOMPARE(QueryValue("SELECT COUNT(*) || ID FROM tblId").toString(), "1" + id);
        const QString cipher = QueryValue("SELECT PASSWORD FROM tblId").toString();
        QCOMPARE(BotanAdapter::GetInstance().Decrypt(cipher), QString("new password"));

        // No usable keys: nothing is stored, neither over the old row nor as a new one.
        BotanAdapter::GetInstance().ForgetKeys();
        QCOMPARE(Submit(&editor, "pushAdd"), QString("Error occurred while updating ID."));
        AddEditBankID card(locker, &mainWindow);
        QCOMPARE(Submit(&card, "pushAdd", {"lineName"}, {"Visa"}),
                 QString("Error occurred while adding new ID."));
        QCOMPARE(
            QueryValue("SELECT (SELECT COUNT(*) FROM tblId2) || COUNT(*) || PASSWORD FROM tblId").toString(),
            "01" + cipher);
    }

    void generateFillsWebPasswordOnlyWhenTaken()
    {
        AddEditIdDialog editor(InsertLocker("Web", 1), &mainWindow);
        Child(&editor, "linePassword")->setText("typed");
        for (const QString button : {"pushClose", "pushSelect"}) {
            QString generated;
            bool noticeShown = false;
            OnNextModal([&](QWidget* generator) {
                Click(generator, "pushGenrate");
                generated = Child<QLabel>(generator, "labelPassword")->text();
                OnNextModal([&](QWidget* notice) { noticeShown = Click(notice, "pushButton"); }, generator);
                Click(generator, button);
            });
            Click(&editor, "pushGenerate");
            QVERIFY(noticeShown); // the clipboard notice shows even when nothing is taken
            QCOMPARE(generated.size(), 8);
            QCOMPARE(Child(&editor, "linePassword")->text(), button == "pushSelect" ? generated : "typed");
        }
    }
};

KESTROVA_TEST_MAIN(TestEntryEditors)
#include "tst_entryeditors.moc"
