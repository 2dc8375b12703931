// Writes a PNG of every window and dialog in both themes into the folder
// given on the command line, for looking over the look by eye:
//     screenshots OUTPUT_FOLDER
// Each dialog is a child of the main window, so it wears the theme as in use.
#include "testsupport.h"

#include "about/aboutdialog.h"
#include "entries/addeditbankid.h"
#include "entries/addeditdiarynote.h"
#include "entries/addeditiddialog.h"
#include "entries/passwrodgenerator.h"
#include "widgets/errordialog.h"
#include "widgets/progress.h"
#include "window/addlocker.h"
#include "window/lockertypeselection.h"
#include "window/logindialog.h"
#include "window/mainwindow.h"
#include "window/masterpasswordmanager.h"
#include "window/settings.h"
#include "window/welcomedialog.h"

#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct Lockers
{
    QString web, bank, notes;
};

// A few lockers and entries, so that the lists show their icons. The lists
// decrypt nothing, so the secrets are left empty.
Lockers MakeSampleData()
{
    TestSupport::FreshDataFileWithKeys();
    const Lockers lockers{TestSupport::InsertLocker("Web accounts", 1), TestSupport::InsertLocker("Cards", 2),
                          TestSupport::InsertLocker("Diary", 3)};
    ExecQuery(QString("INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME) VALUES (%1, 'Mail', ''), "
                      "(%1, 'Bank online', ''), (%1, 'Shop', '')")
                  .arg(lockers.web));
    ExecQuery(QString("INSERT INTO tblId2 (LOCKER_ID, NAME) VALUES (%1, 'Visa')").arg(lockers.bank));
    ExecQuery(QString("INSERT INTO tblId3 (LOCKER_ID, NAME, TIME_STAMP) VALUES (%1, 'Holiday', "
                      "'2024-05-01 10:00:00')")
                  .arg(lockers.notes));
    return lockers;
}

// Makes the window to grab, a child of the main window; null grabs the main window itself.
using Make = QWidget* (*)(MainWindow&, const Lockers&);

struct Shot
{
    const char* name;
    Make make;
};

template <class Dialog> QWidget* Plain(MainWindow& window, const Lockers&)
{
    return new Dialog(&window);
}

template <class Dialog, QString Lockers::*locker>
QWidget* OfLocker(MainWindow& window, const Lockers& lockers)
{
    return new Dialog(lockers.*locker, &window);
}

template <QString Lockers::*locker, int type> QWidget* Opened(MainWindow& window, const Lockers& lockers)
{
    window.OpenLocker(lockers.*locker, "Sample", type);
    return nullptr;
}

// One row per window; a dialog added later is one more line.
const Shot kShots[] = {
    {"main-window", [](MainWindow&, const Lockers&) -> QWidget* { return nullptr; }},
    {"menu-tools",
     [](MainWindow& window, const Lockers&) -> QWidget* {
         auto* menu = window.findChild<QMenu*>("menuTools");
         menu->popup(window.mapToGlobal(QPoint(0, 0)));
         return menu;
     }},
    {"list-web-ids", Opened<&Lockers::web, 1>},
    {"list-bank-cards", Opened<&Lockers::bank, 2>},
    {"list-notes", Opened<&Lockers::notes, 3>},
    {"welcome", Plain<WelcomeDialog>},
    {"settings", Plain<Settings>},
    {"locker-type", Plain<LockerTypeSelection>},
    {"locker-editor",
     [](MainWindow& window, const Lockers&) -> QWidget* { return new AddLocker(1, &window); }},
    {"login", OfLocker<LoginDialog, &Lockers::web>},
    {"master-password", Plain<MasterPasswordManager>},
    {"web-id-editor", OfLocker<AddEditIdDialog, &Lockers::web>},
    {"bank-card-editor", OfLocker<AddEditBankID, &Lockers::bank>},
    {"note-editor", OfLocker<AddEditDiaryNote, &Lockers::notes>},
    {"password-generator", Plain<PasswrodGenerator>},
    {"about", Plain<AboutDialog>},
    {"progress", Plain<Progress>},
    {"notice",
     [](MainWindow& window, const Lockers&) -> QWidget* {
         return new ErrorDialog("err_msg_1", "Notice", "A notice the user can silence.", &window, false);
     }},
    {"message-box",
     [](MainWindow& window, const Lockers&) -> QWidget* {
         return new QMessageBox(QMessageBox::Information, "Master Password", "Master Password is not set.",
                                QMessageBox::Ok, &window);
     }},
};

// Names every visible text that its widget is too small to show in full.
int ReportCutTexts(const QWidget* root, const QString& shot)
{
    int cut = 0;
    for (const QWidget* widget : root->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(widget);
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        const bool hasText = (label && !label->wordWrap() && !label->text().isEmpty()) ||
                             (button && !button->text().isEmpty());
        const QSize needed = widget->sizeHint();
        if (hasText && widget->isVisible() &&
            (widget->width() < needed.width() || widget->height() < needed.height())) {
            std::fprintf(stderr, "%s: %s is cut off\n", qPrintable(shot), qPrintable(widget->objectName()));
            ++cut;
        }
    }
    return cut;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    const Lockers lockers = MakeSampleData();
    int failures = 0;
    for (const auto& [theme, value] : {std::pair("dark", 0), std::pair("light", 1)}) {
        Utility::GetInstance().settings->setValue("display_theme", value);
        for (const Shot& shot : kShots) {
            // Each start tells that no master password is set; acknowledge it.
            TestSupport::OnNextModal([](QWidget* box) { box->close(); });
            MainWindow window;
            window.showNormal();
            window.resize(1600, 720); // wide enough for the whole tool bar
            QWidget* widget = shot.make(window, lockers);
            if (widget && !widget->isVisible())
                widget->show();
            QTest::qWait(50); // lets the tool bar and lists lay themselves out
            QWidget* shown = widget ? widget : &window;
            const QString file = QString("%1/%2-%3.png").arg(folder, theme, shot.name);
            failures += ReportCutTexts(shown, file);
            if (!shown->grab().save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
