#include "testenvironment.h"
#include "testsupport.h"

#include "entries/passwrodgenerator.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QSlider>

namespace {

// Clicks `button` and returns the password the dialog shows.
QString Click(PasswrodGenerator& dialog, const char* button = "pushGenrate")
{
    dialog.findChild<QAbstractButton*>(button)->click();
    return dialog.findChild<QLabel*>("labelPassword")->text();
}

} // namespace

class TestPasswordGenerator : public QObject
{
    Q_OBJECT

private slots:
    // Over many draws every character of each ticked pool shows, and nothing else.
    void lengthAndTickedPools_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("pool");
        QTest::newRow("none") << 4 << QString() << "abcdefghijklmnopqrstuvwxyz";
        QTest::newRow("defaults")
            << 12 << "checkBoxNumbers checkBoxLowerUpperCase checkBoxSetA"
            << "abcdefghijklmnopqrstuvwxyz1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ!@#$%^&*()";
        QTest::newRow("set B") << 12 << "checkBoxSetB"
                               << "abcdefghijklmnopqrstuvwxyz`~-_=+[{]}\\|;:'\",<.>/?";
    }
    void lengthAndTickedPools()
    {
        QFETCH(int, length);
        QFETCH(QString, ticked);
        QFETCH(QString, pool);
        PasswrodGenerator dialog(nullptr);
        for (auto* box : dialog.findChildren<QCheckBox*>())
            box->setChecked(ticked.contains(box->objectName()));
        dialog.findChild<QSlider*>("horizontalSlider")->setValue(length);
        QString drawn;
        for (int i = 0; i < 1000; ++i)
            drawn += Click(dialog);
        QCOMPARE(drawn.size(), 1000 * length);
        QCOMPARE(QSet<QChar>(drawn.begin(), drawn.end()), QSet<QChar>(pool.begin(), pool.end()));
    }

    void buttonsKeepTheShownPassword()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText("before");
        PasswrodGenerator dialog(nullptr);
        const QString first = Click(dialog);
        Click(dialog, "pushClose");
        QCOMPARE((QStringList{dialog.GetPassword(), clipboard->text()}), (QStringList{"", "before"}));

        Click(dialog, "pushButton"); // Copy Password
        QCOMPARE(clipboard->text(), first);
        // Quick clicks never repeat a password, and leave the copied one alone.
        QSet<QString> drawn;
        for (int i = 0; i < 2000; ++i)
            drawn.insert(Click(dialog));
        QCOMPARE(drawn.size(), 2000);
        Click(dialog, "pushClose");
        QCOMPARE((QStringList{dialog.GetPassword(), clipboard->text()}), (QStringList{first, first}));

        dialog.show();
        const QString last = Click(dialog, "pushSelect");
        QVERIFY(!dialog.isVisible());
        QCOMPARE((QStringList{dialog.GetPassword(), clipboard->text()}), (QStringList{last, last}));
    }
};

KESTROVA_TEST_MAIN(TestPasswordGenerator)
#include "tst_passwordgenerator.moc"
