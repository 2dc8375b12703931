#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "entries/addeditbankid.h"
#include "entries/addeditdiarynote.h"
#include "entries/addeditiddialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

class TestEntryEditors : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::FreshDataFileWithKeys(); }

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
        const QString locker = TestSupport::InsertLocker("Mine", kind);
        std::unique_ptr<EntryEditor> editor(
            kind == 1   ? new AddEditIdDialog(locker, &mainWindow)
            : kind == 2 ? static_cast<EntryEditor*>(new AddEditBankID(locker, &mainWindow))
                        : new AddEditDiaryNote(locker, &mainWindow));
        const char* fields[] = {"lineName", "lineURL", "lineUser", "linePassword"};
        for (int i = 0; i < messages.size(); ++i) {
            QCOMPARE(Save(editor.get()).text, messages[i]);
            Fill(editor.get(), {{fields[i], i == 0 ? "O'Brien" : " "}}); // a blank is not empty
        }
        const QString noun = kind == 3 ? "Note" : "ID",
                      table = QStringList{"tblId", "tblId2", "tblId3"}[kind - 1];
        QCOMPARE(Save(editor.get()).text, QString("New %1 details added successfully!").arg(noun));
        QCOMPARE(Save(editor.get()).text,
                 QString("%1 with this name already exists. Please choose another name.").arg(noun));
        QCOMPARE(Value("SELECT COUNT(*) || NAME FROM " + table), QString("1O'Brien"));
    }

    void editReencryptsAndFailedSavesWriteNothing()
    {
        const QString webLocker = TestSupport::InsertLocker("Web", 1);
        AddEditIdDialog add(webLocker, &mainWindow);
        Fill(&add,
             {{"lineName", "Bank"}, {"lineURL", "u"}, {"lineUser", "me"}, {"linePassword", "old password"}});
        Save(&add);
        const QString id = Value("SELECT ID FROM tblId");
        const QString oldCipher = Value("SELECT PASSWORD FROM tblId");
        QVERIFY(!oldCipher.contains("old password"));

        AddEditIdDialog edit(webLocker, &mainWindow);
        edit.SetEditMode(id);
        Fill(&edit, {{"linePassword", "new password"}});
        QCOMPARE(Save(&edit).text, QString("ID details updated successfully!"));
        QCOMPARE(Value("SELECT COUNT(*) || ID FROM tblId"), "1" + id);
        const QString newCipher = Value("SELECT PASSWORD FROM tblId");
        QVERIFY(newCipher != oldCipher);
        QCOMPARE(BotanAdapter::GetInstance().Decrypt(newCipher), QString("new password"));

        add.SetEditMode("999"); // a row that is gone
        QCOMPARE(Save(&add).text, QString("Error occurred while updating ID."));

        // No usable keys: nothing is stored, neither over the old row nor as a new one.
        BotanAdapter::GetInstance().ForgetKeys();
        Fill(&edit, {{"linePassword", "newest"}});
        QCOMPARE(Save(&edit).text, QString("Error occurred while updating ID."));
        AddEditBankID card(webLocker, &mainWindow);
        Fill(&card, {{"lineName", "Visa"}});
        QCOMPARE(Save(&card).text, QString("Error occurred while adding new ID."));
        QCOMPARE(Value("SELECT (SELECT COUNT(*) FROM tblId2) || COUNT(*) || PASSWORD FROM tblId"),
                 "01" + newCipher);
    }

    void generateFillsWebPasswordOnlyWhenTaken()
    {
        AddEditIdDialog editor(TestSupport::InsertLocker("Web", 1), &mainWindow);
        QLineEdit* password = editor.findChild<QLineEdit*>("linePassword");
        password->setText("typed");
        for (const QString button : {"pushClose", "pushSelect"}) {
            QString generated;
            bool noticeShown = false;
            TestSupport::OnNextModal([&](QWidget* generator) {
                Click(generator, "pushGenrate");
                generated = generator->findChild<QLabel*>("labelPassword")->text();
                TestSupport::OnNextModal([&](QWidget* notice) { noticeShown = Click(notice, "pushButton"); },
                                         generator);
                Click(generator, button);
            });
            Click(&editor, "pushGenerate");
            QVERIFY(noticeShown); // the clipboard notice shows even when nothing is taken
            QCOMPARE(generated.size(), 8);
            QCOMPARE(password->text(), button == "pushSelect" ? generated : QString("typed"));
        }
    }

private:
    // Returns false when there is no such button.
    static bool Click(QWidget* window, const QString& name)
    {
        return QMetaObject::invokeMethod(window->findChild<QPushButton*>(name), "click");
    }
    static QString Value(const QString& sql) { return TestSupport::QueryValue(sql).toString(); }
    static void Fill(QWidget* editor, std::initializer_list<std::pair<const char*, QString>> texts)
    {
        for (const auto& text : texts)
            editor->findChild<QLineEdit*>(text.first)->setText(text.second);
    }
    // Presses Add (or Update) and answers the message box that follows.
    static TestSupport::MessageBoxSeen Save(QWidget* editor)
    {
        TestSupport::MessageBoxSeen seen;
        TestSupport::AnswerNextMessageBox(&seen);
        Click(editor, "pushAdd");
        return seen;
    }

    QWidget mainWindow;
};

KESTROVA_TEST_MAIN(TestEntryEditors)
#include "tst_entryeditors.moc"
