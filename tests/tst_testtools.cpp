// The test helpers fail what they are meant to fail: this program runs itself
// with the failing cases below and reads their output.
#include "testsupport.h"

#include <QProcess>

// Each case fails exactly once; they run only in the child program.
class ToolFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        OnNextModal([](QWidget*) {});
    }
    void cleanup() { FinishTest(); }
    void cleanupTestCase()
    {
        OnNextModal([](QWidget*) {});
    }

    void missingChild()
    {
        QWidget dialog;
        Child(&dialog, "lineMissing")->setText("typed into the stand-in");
    }

    void handlerLeftWaiting()
    {
        OnNextModal([](QWidget*) {});
        QTest::qWait(50); // the handler of initTestCase finds its test over
    }
};

class TestTestTools : public QObject
{
    Q_OBJECT

    QProcess child;
    QString output;

private slots:
    void initTestCase()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KESTROVA_TOOL_FAULTS", "1");
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(30000));
        output = child.readAll();
    }

    void everyCaseFailsTheRun()
    {
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 4, qPrintable(output));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("missing child")
            << "FAIL!  : ToolFaults::missingChild() no QLineEdit \"lineMissing\" in QWidget \"\"";
        QTest::newRow("handler left waiting")
            << "FAIL!  : ToolFaults::handlerLeftWaiting() 1 dialog handler(s) got no modal dialog";
        for (const char* test : {"initTestCase", "cleanupTestCase"})
            QTest::newRow(test)
                << QString("FAIL! a dialog handler queued in ToolFaults::%1() got no modal dialog").arg(test);
    }
    void failures()
    {
        QFETCH(QString, line);
        QVERIFY2(output.contains(line), qPrintable(output));
    }
};

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet("KESTROVA_TOOL_FAULTS"))
        return RunTestProgram<ToolFaults>(argc, argv);
    return RunTestProgram<TestTestTools>(argc, argv);
}
#include "tst_testtools.moc"
