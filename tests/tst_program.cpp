#include "datafixtures.h"

// The start-up order as only the real program shows it: the first start, then
// the main window that stores the keys, on the data file the settings name.
class TestProgram : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

    QString SettingsFile() const
    {
        return home.path() + "/.config/" + ORGANIZATION_NAME + "/" + APPLICATION_NAME + ".conf";
    }

    void WriteSettings(const QVariantMap& values)
    {
        QSettings settings(SettingsFile(), QSettings::IniFormat);
        for (auto value = values.cbegin(); value != values.cend(); ++value)
            settings.setValue(value.key(), value.value());
    }

    // Read-only, so that a file still missing is not made empty here.
    static bool HoldsKeyRow(const QString& path)
    {
        bool held = false;
        {
            QSqlDatabase file = QSqlDatabase::addDatabase("QSQLITE", "program");
            file.setDatabaseName(path);
            file.setConnectOptions("QSQLITE_OPEN_READONLY");
            held = file.open() &&
                   file.exec("SELECT 1 FROM tblSettings WHERE PARAM2 <> '' AND PARAM3 <> ''").next();
        }
        QSqlDatabase::removeDatabase("program");
        return held;
    }

    // Whether the settings file, as written out, names `dataFile` as the data file.
    bool SettingsName(const QString& dataFile) const
    {
        const QSettings settings(SettingsFile(), QSettings::IniFormat);
        const QFileInfo file(dataFile);
        return settings.value(WALLET_DATA_FOLDER_PATH).toString() == file.absolutePath() &&
               settings.value(ACTIVE_WALLET_DB_7_5_0).toString() == file.fileName();
    }

    // The program as a user starts it, from `home`, its output read as it runs.
    void Start(QProcess& program)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.path() + "/.config");
        environment.insert("XDG_DATA_HOME", home.path() + "/.local/share");
        environment.insert("XDG_RUNTIME_DIR", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(KESTROVA_PROGRAM, QStringList());
    }

    // The program never ends by itself: it runs until `dataFile` holds a key row
    // and the settings that name it are written out, then it is killed. A kill
    // while they are written may leave Qt's lock on them, which holds for 30 s.
    // `held`, a lock on them that this test holds, must still name the test when
    // the key row is there; it is let go then, for the settings to be written.
    // Gives what went wrong within a few seconds, with what the program printed.
    QString RunUntilSettled(const QString& start, const QString& dataFile, QLockFile* held = nullptr)
    {
        QProcess program;
        Start(program);
        const QDeadlineTimer deadline(5000);
        bool settled = QTest::qWaitFor([&] { return HoldsKeyRow(dataFile); }, 5000);
        qint64 holder = 0;
        QString host, application;
        const bool kept = !held || (held->getLockInfo(&holder, &host, &application) &&
                                    holder == QCoreApplication::applicationPid());
        if (held)
            held->unlock();
        settled =
            settled && QTest::qWaitFor(
                           [&] { return SettingsName(dataFile) && !QFile::exists(SettingsFile() + ".lock"); },
                           int(deadline.remainingTime()));
        program.kill();
        const bool ended = program.waitForFinished(5000);
        if (settled && ended && kept)
            return QString();
        const char* fault = !kept     ? "removed the lock that the test held"
                            : settled ? "did not end when killed"
                                      : "did not settle in 5 s";
        return QString("the %1 %2; it printed:\n%3")
            .arg(start, fault, QString::fromLocal8Bit(program.readAll()));
    }

private slots:
    // The first start also finds a lock on the settings that a run killed just
    // now, as it wrote them, left empty: it is no lock, and the start waits for it
    // no more than a second, even with the lock dated ahead of the clock.
    void secondStartKeepsTheDataFileChosenEarlier()
    {
        QVERIFY(home.isValid());
        WriteSettings({{"FIRST_TIME_START", 0}});
        QFile lock(SettingsFile() + ".lock");
        QVERIFY(
            lock.open(QIODevice::WriteOnly) &&
            lock.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime));
        lock.close();
        QString failure = RunUntilSettled("first start", home.path() + "/.kestrova/settings_7.5.0.kvd");
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        const QString folder = home.path() + "/elsewhere";
        const QString chosen = folder + "/chosen.kvd";
        QVERIFY(QDir().mkpath(folder));
        QString cause;
        QVERIFY(CDBManager::GetInstance().MakeDataFile(chosen, &cause) && !HoldsKeyRow(chosen));
        WriteSettings({{WALLET_DATA_FOLDER_PATH, folder}, {ACTIVE_WALLET_DB_7_5_0, "chosen.kvd"}});

        failure = RunUntilSettled("second start", chosen);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // A lock that names its holder is no leftover: removing it could let two
    // runs at once lose one run's settings.
    void startLeavesALockThatNamesItsHolder()
    {
        const QString dataFile = home.path() + "/held.kvd";
        QString cause;
        QVERIFY(CDBManager::GetInstance().MakeDataFile(dataFile, &cause));
        WriteSettings({{"FIRST_TIME_START", 0},
                       {WALLET_DATA_FOLDER_PATH, home.path()},
                       {ACTIVE_WALLET_DB_7_5_0, "held.kvd"}});
        QLockFile held(SettingsFile() + ".lock");
        QVERIFY(held.tryLock(0));
        const QString failure = RunUntilSettled("start", dataFile, &held);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // A limit on the size of a file fails the write that passes it, which the
    // program reports: it never ends the program.
    void sizeLimitEndsNoRun()
    {
        QVERIFY(QFile::remove(SettingsFile()) && QDir(home.path() + "/.kestrova").removeRecursively());
        WriteSettings({{"FIRST_TIME_START", 0}});
        // Set here for the program to take on; the signal keeps what it does by default.
        rlimit limit, before;
        QVERIFY(getrlimit(RLIMIT_FSIZE, &before) == 0);
        limit = before;
        limit.rlim_cur = 8192; // a data file with its tables takes more
        QProcess program;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        Start(program);
        setrlimit(RLIMIT_FSIZE, &before);
        // Its settings are written out once the first start is over, as the window shows what failed.
        const bool started = QTest::qWaitFor(
            [&] { return QSettings(SettingsFile(), QSettings::IniFormat).contains(WALLET_DATA_FOLDER_PATH); },
            5000);
        QVERIFY2(started && program.state() == QProcess::Running, qPrintable(program.readAll()));
        QVERIFY(!QFile::exists(home.path() + "/.kestrova/settings_7.5.0.kvd"));
        program.kill();
        QVERIFY(program.waitForFinished(5000));
    }
};

KESTROVA_TEST_MAIN(TestProgram)
#include "tst_program.moc"
