// Time from the program's start to its first shown main window, with the
// theme and without it, side by side. Each start is a fresh process of this
// program, timed from launch until it reports the window shown. Run by hand:
//     bench_startup [ROUNDS]
// Without the theme, both style sheets are replaced by empty ones through a
// resource registered ahead of the program's own; every picture still loads.
#include "testsupport.h"

#include "core/keyrowstore.h"
#include "window/mainwindow.h"

#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const char* const kChild = "--child";

// A data file with a master password (so the start asks nothing) and a few lockers.
void PrepareDataFile()
{
    TestSupport::FreshDataFileWithKeys();
    if (!KeyRowStore::ChangeMasterPassword(Utility::Md5Hex("bench")))
        qFatal("cannot set the master password");
    for (int i = 0; i < 12; ++i)
        TestSupport::InsertLocker(QString("Locker %1").arg(i), i % 3 + 1);
    CDBManager::GetInstance().CloseDataBase();
    Utility::GetInstance().settings->sync();
}

// Compiles a resource that holds both style sheets empty.
QString BuildEmptySheets(const QString& folder)
{
    QDir(folder).mkpath("stylesheets");
    for (const char* name : {"stylesheets/WindowsStyleSheet.txt", "stylesheets/WindowsStyleSheetLight.txt"}) {
        QFile empty(folder + "/" + name);
        empty.open(QIODevice::WriteOnly);
    }
    QFile qrc(folder + "/empty.qrc");
    qrc.open(QIODevice::WriteOnly);
    qrc.write("<RCC><qresource prefix=\"/\"><file>stylesheets/WindowsStyleSheet.txt</file>"
              "<file>stylesheets/WindowsStyleSheetLight.txt</file></qresource></RCC>");
    qrc.close();
    const QString rcc = QLibraryInfo::location(QLibraryInfo::BinariesPath) + "/rcc";
    const QString output = folder + "/empty.rcc";
    if (QProcess::execute(rcc, {"-binary", qrc.fileName(), "-o", output}) != 0)
        qFatal("cannot run %s", qPrintable(rcc));
    return output;
}

// Milliseconds from launching a child until it reports its window shown.
qint64 TimeOneStart(const QString& emptySheets)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {kChild, emptySheets});
    if (!child.waitForReadyRead(30000))
        qFatal("the child did not start");
    const qint64 elapsed = timer.elapsed();
    const QByteArray expected = emptySheets.isEmpty() ? "shown with theme" : "shown without theme";
    if (!child.readLine().startsWith(expected))
        qFatal("the child did not start as meant");
    child.waitForFinished();
    return elapsed;
}

qint64 Median(std::vector<qint64> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace

// What the program does up to its first shown window, as core/main.cpp does.
int RunChild(int argc, char* argv[], const QString& emptySheets)
{
    if (!emptySheets.isEmpty()) {
        // Looked up first, so its empty sheets hide the program's own.
        Q_CLEANUP_RESOURCE(resources);
        QResource::registerResource(emptySheets);
    }
    Q_INIT_RESOURCE(resources);
    QApplication application(argc, argv);
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QApplication::processEvents(); // the first paint
    std::puts(window.styleSheet().isEmpty() ? "shown without theme" : "shown with theme");
    std::fflush(stdout);
    return 0;
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && qstrcmp(argv[1], kChild) == 0)
        return RunChild(argc, argv, QString::fromLocal8Bit(argv[2]));

    // The children inherit this HOME and its settings.
    QTemporaryDir home;
    if (!home.isValid())
        qFatal("no HOME of its own could be made in %s", qPrintable(QDir::tempPath()));
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? qMax(1, QString(argv[1]).toInt()) : 15;
    PrepareDataFile();
    const QString emptySheets = BuildEmptySheets(home.path() + "/empty");

    TimeOneStart(QString()); // warms the file cache
    std::vector<qint64> themed, plain;
    for (int round = 0; round < rounds; ++round) {
        themed.push_back(TimeOneStart(QString()));
        plain.push_back(TimeOneStart(emptySheets));
    }
    const qint64 with = Median(themed), without = Median(plain);
    std::printf("start to first shown main window, median of %d starts: with theme %lld ms, "
                "without theme %lld ms; the theme costs %lld ms (%.0f%% of the start)\n",
                rounds, with, without, with - without, 100.0 * (with - without) / with);
    return 0;
}
