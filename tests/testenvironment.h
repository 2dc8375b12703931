#ifndef TESTENVIRONMENT_H
#define TESTENVIRONMENT_H

// Each test program runs in a HOME of its own, so no test reads or writes a
// real user's settings or data folder.

#include "core/utility.h"

#include <QSettings>
#include <QtTest>

// The core tests link no widgets: they get a core application, no resources and
// no watch on modal dialogs.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QMessageBox>

namespace TestSupport {

// What the widget helpers keep: the handlers of OnNextModal still waiting for a
// dialog, each with the test that queued it; the dialogs that running ones were
// given; the tests that ended without FinishTest() while a handler of theirs still
// waited (no test is left to fail for those, so the run fails at its end); and the
// stand-ins that Child() gave for missing children.
struct WidgetHelpers
{
    QHash<QTimer*, QString> waiting;
    QList<QWidget*> beingAnswered;
    QStringList abandonedBy;
    QObjectList standIns;
};
inline WidgetHelpers& Helpers()
{
    static WidgetHelpers helpers;
    return helpers;
}

inline void StopWaiting(QTimer* timer)
{
    timer->stop();
    timer->deleteLater();
    Helpers().waiting.remove(timer);
}

inline void Abandon(QTimer* timer)
{
    Helpers().abandonedBy << Helpers().waiting.value(timer);
    StopWaiting(timer);
}

// Names the test of every handler left waiting, by its test or by the whole
// run, and gives how many there were.
inline int ReportAbandonedHandlers(const char* testClass)
{
    for (QTimer* timer : Helpers().waiting.keys())
        Abandon(timer);
    for (const QString& test : Helpers().abandonedBy)
        qCritical("FAIL! a dialog handler queued in %s::%s got no modal dialog", testClass, qPrintable(test));
    return Helpers().abandonedBy.size();
}

// A modal dialog that nothing answers fails the running test after a second
// (room for a test that answers with a timer of its own) and is rejected, so
// that the test ends instead of waiting for the ctest time-out.
inline void WatchUnansweredModals(QObject* parent)
{
    auto* timer = new QTimer(parent);
    QObject::connect(timer, &QTimer::timeout, [seen = QPointer<QWidget>(), since = QElapsedTimer()]() mutable {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!Helpers().waiting.isEmpty() || Helpers().beingAnswered.contains(modal))
            modal = nullptr;
        if (modal != seen) {
            seen = modal;
            since.start();
        }
        if (!modal || !since.hasExpired(1000))
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        const QString what = QString("unanswered modal %1 \"%2\" %3")
                                 .arg(modal->metaObject()->className(), modal->windowTitle(), box ? box->text() : "");
        seen = nullptr;
        modal->reject();
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    });
    timer->start(100);
}

} // namespace TestSupport

#define KESTROVA_TEST_APPLICATION(app)                                                              \
    Q_INIT_RESOURCE(resources);                                                                      \
    QApplication app(argc, argv);                                                                    \
    TestSupport::WatchUnansweredModals(&app)
#else
#define KESTROVA_TEST_APPLICATION(app) QCoreApplication app(argc, argv)
#endif

// True where no file or folder is read-only, as for root: the tests of what a
// user cannot write then skip. CI runs the data-file tests again without root's
// powers over files, through unprivileged.sh.
inline bool NothingIsReadOnly()
{
    QTemporaryFile file;
    return file.open() && file.setPermissions(QFile::ReadOwner) &&
           QFile(file.fileName()).open(QIODevice::WriteOnly);
}

// The settings store lives until exit, past HOME: it is written out once the
// test has run, so that it has nothing left to write into a HOME that is gone.
template <class TestClass> int RunTestProgram(int argc, char* argv[])
{
    QTemporaryDir home;
    // Without it, HOME would be empty, and the tests would write in "/".
    if (!home.isValid()) {
        qCritical("FAIL! no HOME of its own could be made in %s", qPrintable(QDir::tempPath()));
        return 1;
    }
    // Else the checks that only such a run makes would skip, and it would pass.
    if (qEnvironmentVariableIsSet("KESTROVA_UNPRIVILEGED") && NothingIsReadOnly()) {
        qCritical("FAIL! KESTROVA_UNPRIVILEGED is set, yet a read-only file can be written, as by root");
        return 1;
    }
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        KESTROVA_TEST_APPLICATION(app);
        app.setAttribute(Qt::AA_Use96Dpi, true);
        TestClass test;
        // QFINDTESTDATA looks in this header's folder, which holds the tests' sources.
        QTest::setMainSourcePath(__FILE__);
        result = QTest::qExec(&test, argc, argv);
#ifdef QT_WIDGETS_LIB
        result += TestSupport::ReportAbandonedHandlers(TestClass::staticMetaObject.className());
#endif
    }
    Utility::GetInstance().settings->sync();
    return result;
}

#define KESTROVA_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char* argv[])                                                                 \
    {                                                                                                \
        return RunTestProgram<TestClass>(argc, argv);                                                \
    }

#endif // TESTENVIRONMENT_H
