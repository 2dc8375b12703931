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

    // The program never ends by itself: it runs until `dataFile` holds a key row,
    // or for a few seconds.
    bool RunUntilKeyRow(const QString& dataFile)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_HOME", home.path() + "/.config");
        environment.insert("XDG_DATA_HOME", home.path() + "/.local/share");
        environment.insert("XDG_RUNTIME_DIR", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(KESTROVA_PROGRAM, QStringList());
        const bool held = QTest::qWaitFor([&dataFile] { return HoldsKeyRow(dataFile); }, 5000);
        program.kill();
        program.waitForFinished();
        return held;
    }

private slots:
    void secondStartKeepsTheDataFileChosenEarlier()
    {
        QVERIFY(home.isValid());
        WriteSettings({{"FIRST_TIME_START", 0}});
        QVERIFY(RunUntilKeyRow(home.path() + "/.kestrova/settings_7.5.0.kvd"));

        const QString folder = home.path() + "/elsewhere";
        const QString chosen = folder + "/chosen.kvd";
        QVERIFY(QDir().mkpath(folder));
        QString cause;
        QVERIFY(CDBManager::GetInstance().MakeDataFile(chosen, &cause) && !HoldsKeyRow(chosen));
        WriteSettings({{WALLET_DATA_FOLDER_PATH, folder}, {ACTIVE_WALLET_DB_7_5_0, "chosen.kvd"}});

        QVERIFY(RunUntilKeyRow(chosen));
        const QSettings settings(SettingsFile(), QSettings::IniFormat);
        QCOMPARE(settings.value(WALLET_DATA_FOLDER_PATH).toString(), folder);
        QCOMPARE(settings.value(ACTIVE_WALLET_DB_7_5_0).toString(), QString("chosen.kvd"));
    }
};

KESTROVA_TEST_MAIN(TestProgram)
#include "tst_program.moc"
