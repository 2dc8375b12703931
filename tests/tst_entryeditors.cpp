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
    void cleanup() { FinishTest(); }

    void saveAndEdit_data()
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

    // Required fields in order, a name taken only within the locker, then an
    // edit that stores every field back exactly as shown, text that looks like
    // markup included.
    void saveAndEdit()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, messages);
        const QString locker = InsertLocker("Mine", kind), table = EntryStore::Table(kind);
        // The same name in another locker does not count.
        QVERIFY(EntryStore::Add(kind, InsertLocker("Other", kind), {{"NAME", "O'Brien"}}));
        const auto editor = MakeEditor(kind, locker);
        for (int i = 0; i < messages.size(); ++i) {
            QCOMPARE(Submit(editor.get(), "pushAdd"), messages[i]);
            Child(editor.get(), WebIdLines[i])->setText(i == 0 ? "O'Brien" : " "); // a blank is not empty
        }
        QVERIFY(Submit(editor.get(), "pushAdd").endsWith(" details added successfully!"));
        QVERIFY(Submit(editor.get(), "pushAdd").contains(" with this name already exists."));
        QCOMPARE(
            QueryValue("SELECT GROUP_CONCAT(NAME) FROM " + table + " WHERE LOCKER_ID = " + locker).toString(),
            "O'Brien");

        const QString notes = "PIN is <b>1234</b>\nsecond line, a &lt; b";
        for (QLineEdit* line : editor->findChildren<QLineEdit*>())
            line->setText(line->objectName() + " <i>&amp;</i>");
        Child<QTextEdit>(editor.get(), "textNotes")->setPlainText(notes);
        Submit(editor.get(), "pushAdd");
        const QString id = QueryValue("SELECT MAX(ID) FROM " + table).toString();
        EntryFields before, after;
        QVERIFY(EntryStore::Read(kind, id, &before));
        if (kind != 3)
            QCOMPARE(before.value("NOTES"), notes);

        // The edit appends "2" to what the editor shows of each field: every column reads back so.
        const auto edit = MakeEditor(kind, locker);
        edit->SetEditMode(id);
        for (QLineEdit* line : edit->findChildren<QLineEdit*>())
            line->setText(line->text() + "2");
        auto* text = Child<QTextEdit>(edit.get(), "textNotes");
        text->setPlainText(text->toPlainText() + "2");
        QVERIFY(Submit(edit.get(), "pushAdd").endsWith(" details updated successfully!"));
        QVERIFY(EntryStore::Read(kind, id, &after));
        before.remove("TIME_STAMP"); // the time of the save
        // A note's rich text may be written anew; what it says is what counts.
        if (kind == 3) {
            for (EntryFields* fields : {&before, &after})
                (*fields)["NOTES"] = QTextDocumentFragment::fromHtml(fields->value("NOTES")).toPlainText();
        }
        for (const QString& column : before.keys())
            QCOMPARE(after.value(column), before.value(column) + "2");

        // Secrets are stored as ciphertext, which holds no blank, while every text typed here does.
        const QString rows = QString("SELECT COUNT(*) || GROUP_CONCAT(%1) FROM %2")
                                 .arg(EntryStore::SecretColumns(kind).join(" || "), table);
        const QString stored = QueryValue(rows).toString();
        QVERIFY2(!stored.contains(' '), qPrintable(stored));
        // An update of a row that is gone, an entry of a locker that is gone, and
        // saves without usable keys, write nothing.
        QString cause;
        QVERIFY(!EntryStore::Add(kind, "999", {{"NAME", "n"}}, &cause) && cause == "Its locker is no longer there.");
        edit->SetEditMode("999");
        QVERIFY(Submit(edit.get(), "pushAdd").endsWith("\nThe entry is no longer there."));
        edit->SetEditMode(id);
        BotanAdapter::GetInstance().ForgetKeys();
        const QString noKeys = "\nNo keys of the data file are in use to encrypt it with.";
        QVERIFY(Submit(edit.get(), "pushAdd").endsWith(noKeys));
        QVERIFY(Submit(editor.get(), "pushAdd", {"lineName"}, {"new"}).endsWith(noKeys));
        QCOMPARE(QueryValue(rows).toString(), stored);
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
