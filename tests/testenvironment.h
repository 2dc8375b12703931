#ifndef TESTENVIRONMENT_H
#define TESTENVIRONMENT_H

// Each test program runs in a HOME of its own, so no test reads or writes a
// real user's settings or data folder.

#include <QtTest>

// The core tests link no widgets: they get a core application, no resources and
// no watch on modal dialogs.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QMessageBox>

namespace TestSupport {

// The OnNextModal handlers still waiting for a dialog, and the dialogs that the
// running ones were given. Any other modal dialog is one that nothing answers.
struct ModalAnswers
{
    int waiting = 0;
    QList<QWidget*> answering;
};

inline ModalAnswers& Answers()
{
    static ModalAnswers answers;
    return answers;
}

// Fails the running test when a modal dialog stands unanswered for a second, and
// rejects it, so that the test ends instead of waiting for the ctest time-out. The
// grace leaves room for a test that answers with a timer of its own.
inline void WatchUnansweredModals(QObject* parent)
{
    auto* timer = new QTimer(parent);
    QPointer<QWidget> seen;
    QElapsedTimer since;
    QObject::connect(timer, &QTimer::timeout, [seen, since]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || Answers().waiting > 0 || Answers().answering.contains(modal))
            modal = nullptr;
        if (modal != seen) {
            seen = modal;
            since.start();
        }
        if (!modal || !since.hasExpired(1000))
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        const QByteArray message = QString("unanswered modal %1 \"%2\"%3")
                                       .arg(modal->metaObject()->className(), modal->windowTitle(),
                                            box ? ": " + box->text() : QString())
                                       .toUtf8();
        seen = nullptr;
        auto* dialog = qobject_cast<QDialog*>(modal);
        dialog ? dialog->reject() : void(modal->close());
        QTest::qFail(message.constData(), __FILE__, __LINE__);
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

#define KESTROVA_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char* argv[])                                                                 \
    {                                                                                                \
        QTemporaryDir home;                                                                          \
        qputenv("HOME", home.path().toUtf8());                                                       \
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());                             \
        qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());                          \
        qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());                                            \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                          \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                 \
        KESTROVA_TEST_APPLICATION(app);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                     \
        TestClass test;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                   \
        return QTest::qExec(&test, argc, argv);                                                      \
    }

#endif // TESTENVIRONMENT_H
