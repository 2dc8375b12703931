#include "testenvironment.h"
#include "testsupport.h"

#include "entries/passwrodgenerator.h"

#include <QClipboard>
#include <QLabel>

class TestPasswordGenerator : public QObject
{
    Q_OBJECT

    // Clicks `button` and returns the password the dialog shows.
    static QString Click(PasswrodGenerator& dialog, const char* button = "pushGenrate")
    {
        dialog.findChild<QAbstractButton*>(button)->click();
        return dialog.findChild<QLabel*>("labelPassword")->text();
    }

private slots:
    // Over many draws every character of each ticked pool shows, and nothing else.
    void lengthAndTickedPools_data()
    {
        QTest::addColumn<QStringList>("row"); // length, ticked boxes, characters besides a-z
        QTest::newRow("set B") << QStringList{"4", "SetB", "`~-_=+[{]}\\|;:'\",<.>/?"};
        QTest::newRow("defaults") << QStringList{"12", "Numbers LowerUpperCase SetA",
                                                 "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ!@#$%^&*()"};
    }
    void lengthAndTickedPools()
    {
        QFETCH(QStringList, row);
        PasswrodGenerator dialog(nullptr);
        for (auto* box : dialog.findChildren<QAbstractButton*>(QRegularExpression("^checkBox")))
            box->setChecked(row[1].contains(box->objectName().mid(8)));
        dialog.findChild<QWidget*>("horizontalSlider")->setProperty("value", row[0].toInt());
        QString drawn;
        for (int i = 0; i < 1000; ++i)
            drawn += Click(dialog);
        QCOMPARE(drawn.size(), 1000 * row[0].toInt());
        const QString pool = row[2] + "abcdefghijklmnopqrstuvwxyz";
        QCOMPARE(QSet<QChar>(drawn.begin(), drawn.end()), QSet<QChar>(pool.begin(), pool.end()));
    }

    void buttonsKeepTheShownPassword()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        PasswrodGenerator dialog(nullptr);
        const QString first = Click(dialog);
        Click(dialog, "pushButton"); // Copy Password
        // Quick clicks never repeat a password, and leave the copied one alone.
        QSet<QString> drawn;
        for (int i = 0; i < 2000; ++i)
            drawn.insert(Click(dialog));
        QCOMPARE(drawn.size(), 2000);
        Click(dialog, "pushClose");
        QCOMPARE((QStringList{dialog.GetPassword(), clipboard->text()}), (QStringList{first, first}));
        const QString last = Click(dialog, "pushSelect");
        QCOMPARE((QStringList{dialog.GetPassword(), clipboard->text()}), (QStringList{last, last}));
    }
};

KESTROVA_TEST_MAIN(TestPasswordGenerator)
#include "tst_passwordgenerator.moc"
