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

private slots:
    void everyCaseFailsOnce()
    {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KESTROVA_TOOL_FAULTS", "1");
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(30000));
        const QString output = child.readAll();
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 4, qPrintable(output));
        const QString abandoned = "FAIL! a dialog handler queued in ToolFaults::%1() got no modal dialog";
        for (const QString& line :
             {QString("FAIL!  : ToolFaults::missingChild() no QLineEdit \"lineMissing\" in QWidget \"\""),
              QString("FAIL!  : ToolFaults::handlerLeftWaiting() 1 dialog handler(s) got no modal dialog"),
              abandoned.arg("initTestCase"), abandoned.arg("cleanupTestCase")})
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
