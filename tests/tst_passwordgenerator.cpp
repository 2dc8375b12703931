#include "testenvironment.h"
#include "testsupport.h"

#include "entries/passwrodgenerator.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSlider>

namespace {

const QString LOWER = "abcdefghijklmnopqrstuvwxyz";
const QString DIGITS = "1234567890";
const QString UPPER = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const QString SET_A = "!@#$%^&*()";
const QString SET_B = "`~-_=+[{]}\\|;:'\",<.>/?";

QString Generate(PasswrodGenerator& dialog)
{
    dialog.findChild<QPushButton*>("pushGenrate")->click();
    return dialog.findChild<QLabel*>("labelPassword")->text();
}

void Click(PasswrodGenerator& dialog, const char* button)
{
    dialog.findChild<QPushButton*>(button)->click();
}

QSet<QChar> CharsOf(const QString& text)
{
    return QSet<QChar>(text.begin(), text.end());
}

} // namespace

class TestPasswordGenerator : public QObject
{
    Q_OBJECT

private slots:
    void lengthFollowsTheSlider()
    {
        PasswrodGenerator dialog(nullptr);
        auto* slider = dialog.findChild<QSlider*>("horizontalSlider");
        auto* length = dialog.findChild<QLineEdit*>("linePasswordLength");
        QCOMPARE(length->text(), QString("8"));
        for (auto* box : dialog.findChildren<QCheckBox*>())
            QCOMPARE(box->isChecked(), box->objectName() != "checkBoxSetB");
        QCOMPARE(dialog.findChild<QLabel*>("label_2")->text(), "    " + SET_A);
        QCOMPARE(dialog.findChild<QLabel*>("label_3")->text(), "    " + SET_B);
        QCOMPARE(Generate(dialog).size(), 8);
        for (int value : {4, 12}) {
            const QString shown = dialog.findChild<QLabel*>("labelPassword")->text();
            slider->setValue(value);
            QCOMPARE(length->text(), QString::number(value));
            QCOMPARE(dialog.findChild<QLabel*>("labelPassword")->text(), shown);
            QCOMPARE(Generate(dialog).size(), value);
        }
    }

    // Over many draws every character of each ticked pool shows, and nothing else.
    void drawsOnlyAndAllOfTheTickedPools_data()
    {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QString>("pool");
        QTest::newRow("defaults") << QStringList{"checkBoxNumbers", "checkBoxLowerUpperCase", "checkBoxSetA"}
                                  << LOWER + DIGITS + UPPER + SET_A;
        QTest::newRow("all") << QStringList{"checkBoxNumbers", "checkBoxLowerUpperCase", "checkBoxSetA",
                                            "checkBoxSetB"}
                             << LOWER + DIGITS + UPPER + SET_A + SET_B;
        QTest::newRow("none") << QStringList() << LOWER;
        QTest::newRow("set B only") << QStringList{"checkBoxSetB"} << LOWER + SET_B;
    }
    void drawsOnlyAndAllOfTheTickedPools()
    {
        QFETCH(QStringList, ticked);
        QFETCH(QString, pool);
        PasswrodGenerator dialog(nullptr);
        for (auto* box : dialog.findChildren<QCheckBox*>())
            box->setChecked(ticked.contains(box->objectName()));
        dialog.findChild<QSlider*>("horizontalSlider")->setValue(12);
        QString drawn;
        for (int i = 0; i < 1000; ++i)
            drawn += Generate(dialog);
        QCOMPARE(CharsOf(drawn), CharsOf(pool));
    }

    void quickClicksNeverRepeat()
    {
        PasswrodGenerator dialog(nullptr);
        QSet<QString> seen;
        for (int i = 0; i < 2000; ++i)
            seen.insert(Generate(dialog));
        QCOMPARE(seen.size(), 2000);
    }

    void selectCopyAndCloseKeepWhatWasShown()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        PasswrodGenerator selectFirst(nullptr);
        selectFirst.show();
        clipboard->setText("before");
        Click(selectFirst, "pushSelect");
        QVERIFY(!selectFirst.isVisible());
        QCOMPARE(selectFirst.GetPassword(), QString());
        QCOMPARE(clipboard->text(), QString());

        PasswrodGenerator copyThenClose(nullptr);
        copyThenClose.show();
        const QString first = Generate(copyThenClose);
        Click(copyThenClose, "pushButton");
        QVERIFY(copyThenClose.isVisible());
        Generate(copyThenClose);
        Click(copyThenClose, "pushClose");
        QVERIFY(!copyThenClose.isVisible());
        QCOMPARE(copyThenClose.GetPassword(), first);
        QCOMPARE(clipboard->text(), first);

        PasswrodGenerator closeOnly(nullptr);
        Generate(closeOnly);
        Click(closeOnly, "pushClose");
        QCOMPARE(closeOnly.GetPassword(), QString());
    }
};

KESTROVA_TEST_MAIN(TestPasswordGenerator)
#include "tst_passwordgenerator.moc"
