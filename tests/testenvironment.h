#ifndef TESTENVIRONMENT_H
#define TESTENVIRONMENT_H

// Each test program runs in a HOME of its own, so no test reads or writes a
// real user's settings or data folder.

#include <QtTest>

// The core tests link no widgets: they get a core application and no resources.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#define KESTROVA_TEST_APPLICATION(app)                                                              \
    Q_INIT_RESOURCE(resources);                                                                      \
    QApplication app(argc, argv)
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
