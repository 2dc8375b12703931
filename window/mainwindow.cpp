#include "window/mainwindow.h"
#include "ui_mainwindow.h"

#include "about/aboutdialog.h"
#include "core/DBManager.h"
#include "core/datafiles.h"
#include "core/filestate.h"
#include "core/firststart.h"
#include "core/keptfiles.h"
#include "core/lockerstore.h"
#include "core/sqlitefile.h"
#include "core/utility.h"
#include "entries/bankidmanagement.h"
#include "entries/diarymanagement.h"
#include "entries/idmanagementdialog.h"
#include "entries/passwrodgenerator.h"
#include "widgets/CenteredDialog.h"
#include "widgets/errordialog.h"
#include "widgets/folderchooser.h"
#include "widgets/plainmessage.h"
#include "widgets/progress.h"
#include "window/addlocker.h"
#include "window/lockermodel.h"
#include "window/lockerreport.h"
#include "window/lockertypeselection.h"
#include "window/logindialog.h"
#include "window/masterpasswordmanager.h"
#include "window/settings.h"
#include "window/welcomedialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QResource>
#include <QScroller>
#include <QSettings>
#include <QSqlRecord>
#include <QTextStream>
#include <QTimer>

#include <optional>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , lockerListQuery("SELECT ID, NAME, TYPE, KEY, '', '' from tblLocker ORDER BY TYPE ASC, NAME ASC")
    , lockerModel(new LockerModel(this))
{
    ui->setupUi(this);
    ApplyTheme();

    g_showUnlockButton = Utility::GetInstance().settings->value("show_unlock_button", 1).toBool();

    // Later scrollers start from these properties: no smoothing of the drag velocity.
    QScrollerProperties properties = QScroller::scroller(ui->scrollArea)->scrollerProperties();
    properties.setScrollMetric(QScrollerProperties::DragVelocitySmoothingFactor, 0);
    QScrollerProperties::setDefaultScrollerProperties(properties);
    QScroller::grabGesture(ui->tableView->viewport(), QScroller::LeftMouseButtonGesture);

    connect(ui->tableView, &QTableView::clicked, this, &MainWindow::OnRowClicked);
    connect(ui->tableView, &QTableView::doubleClicked, this, &MainWindow::OnRowDoubleClicked);

    const RollbackRecovery recovery = RecoverInterruptedRestore();
    const KeySetupResult keys = SetUpKeys();
    lockerModel->setQuery(lockerListQuery, CDBManager::GetInstance().GetDataBase());
    ui->tableView->setModel(lockerModel);
    ui->tableView->hideColumn(LockerIdColumn);
    ui->tableView->hideColumn(LockerTypeColumn);
    ui->tableView->hideColumn(LockerKeyColumn);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->resizeRowsToContents();
    ui->tableView->horizontalHeader()->setStretchLastSection(true);
    ui->tableView->show();

    // Where the data is, and that the data file is missing, the put-back's warning said already.
    if (recovery != RollbackRecovery::NotPutBack)
        ReportKeySetup(keys);
    ReportCarriedOver();
    // Named here too, should a kill have cut short the step that was to name them.
    TellOfKeptFiles(tr("Data File"));

    ui->actionEdit_Locker->setEnabled(false);
    ui->actionDelete_Locker->setEnabled(false);
    ui->action_Close_Locker->setEnabled(false);

    showMaximized();
    QTimer::singleShot(1000, this, &MainWindow::ResizeLockersWindow);
}

MainWindow::~MainWindow() = default;

void MainWindow::ReloadLockerList()
{
    lockerModel->setQuery(lockerListQuery, CDBManager::GetInstance().GetDataBase());
    ui->tableView->resizeColumnsToContents();
    ui->tableView->resizeRowsToContents();
    ui->tableView->show();
}

void MainWindow::ReportKeySetup(KeySetupResult result)
{
    // Told at once, not at the first save that fails.
    const QString unwritable = KeysInForce(result) ? FileState::WhyNotWritable(CDBManager::ActivePath()) : "";
    if (!unwritable.isEmpty()) {
        ShowPlainWarning(this, tr("Error"),
                         tr("The data file cannot be written:\n%1\n%2\nNothing can be saved until it can.")
                             .arg(CDBManager::ActivePath(), unwritable));
    }
    switch (result) {
    case KeySetupResult::NoMasterPassword:
        QMessageBox::information(
            this, tr("Master Password"),
            tr("Master Password is not set, please set by clicking on 'Master Password' button."));
        break;
    case KeySetupResult::KeysDamaged:
        QMessageBox::warning(this, tr("Error"),
                             tr("The keys of the data file are damaged. Stored secrets cannot be "
                                "read, and nothing new can be saved."));
        break;
    case KeySetupResult::KeysNotStored:
        QMessageBox::warning(this, tr("Error"),
                             tr("The keys of the data file could not be stored. Nothing can be "
                                "saved until the data file can be written."));
        break;
    case KeySetupResult::NotADataFile:
        ShowPlainWarning(
            this, tr("Error"),
            tr("The data file is not a Kestrova data file:\n%1\nNo lockers can be shown or saved "
               "until another data file is selected.")
                .arg(CDBManager::ActivePath()));
        break;
    case KeySetupResult::OlderDataFile:
        ShowPlainWarning(this, tr("Error"),
                         tr("The data file is from an earlier version of Kestrova:\n%1\nNo lockers can be "
                            "shown or saved until another data file is selected.")
                             .arg(CDBManager::ActivePath()));
        break;
    case KeySetupResult::CannotOpen:
        ShowPlainWarning(
            this, tr("Error"),
            tr("The data file cannot be opened:\n%1\n%2 No lockers can be shown or saved until "
               "another data file is selected.")
                .arg(CDBManager::ActivePath(), SqliteFile::Examine(CDBManager::ActivePath()).Reason()));
        break;
    case KeySetupResult::NoDataFile:
        OfferNewDataFile();
        break;
    case KeySetupResult::NoDataFolder:
        ReportNoDataFolder();
        break;
    case KeySetupResult::Generated:
    case KeySetupResult::MasterPassword:
        break;
    }
}

void MainWindow::ReportNoDataFolder()
{
    const FirstStartReport& report = LastFirstStart();
    if (report.olderFile.isEmpty()) {
        ShowPlainWarning(
            this, tr("Error"),
            tr("The data folder cannot be created or written:\n%1\n%2\nNo lockers can be shown or "
               "saved until it can.")
                .arg(QFileInfo(CDBManager::ActivePath()).absolutePath(), report.cause));
        return;
    }
    // Nothing was made in its place, so that the next start tries again.
    ShowPlainWarning(this, tr("Error"),
                     tr("The data file of an earlier version could not be carried over:\n%1\n%2\nNo lockers "
                        "can be shown or saved until it is. Kestrova tries again at its next start; to start "
                        "without it, move it out of its folder.")
                         .arg(report.olderFile, report.cause));
}

namespace {

// What the files kept aside and not yet told of are, and where; the empty text when there are none.
QString KeptFilesText()
{
    QStringList copies, journals;
    for (const QString& file : KeptFiles::Untold())
        (KeptFiles::IsJournal(file) ? journals : copies) << file;
    QStringList texts;
    if (!copies.isEmpty())
        texts << MainWindow::tr("An earlier restore left a different copy of your data beside the data file. "
                                "It is kept at:\n%1")
                     .arg(copies.join('\n'));
    if (!journals.isEmpty())
        texts << MainWindow::tr("SQLite had left a journal of another data file under that name. It was moved "
                                "aside, so that the new file does not take it in, and is kept at:\n%1")
                     .arg(journals.join('\n'));
    return texts.join('\n');
}

} // namespace

void MainWindow::TellOfKeptFiles(const QString& title, const QString& text)
{
    const QString kept = KeptFilesText();
    if (text.isEmpty() && kept.isEmpty())
        return;
    ShowPlainInformation(this, title, text.isEmpty() || kept.isEmpty() ? text + kept : text + "\n" + kept);
    KeptFiles::Told();
}

void MainWindow::ReportCarriedOver()
{
    const FirstStartReport& report = LastFirstStart();
    if (report.unreadableSecrets > 0) {
        ShowPlainWarning(
            this, tr("Error"),
            tr("The data file of an earlier version was carried over:\n%1\n%2")
                .arg(report.carriedOver, DataFiles::UnreadableSecretsText(report.unreadableSecrets)));
    }
}

QString MainWindow::MissingDataFileText() const
{
    return tr("The data file is missing or empty:\n%1\n").arg(CDBManager::ActivePath());
}

void MainWindow::ShowMissingDataFile()
{
    ShowPlainWarning(this, tr("Error"),
                     MissingDataFileText() + tr("No lockers can be shown or saved until it is there again, "
                                                "or another data file is selected."));
}

void MainWindow::OfferNewDataFile()
{
    if (!DataFiles::CanMakeNew()) {
        ShowMissingDataFile();
        return;
    }
    // A drive or synced folder that is not there yet is the likelier cause: nothing is made unasked.
    const QString question = MissingDataFileText() + tr("If it is on a drive that is not connected, choose "
                                                        "No and start Kestrova again once it is.\nMake a "
                                                        "new, empty data file there?");
    if (!AskPlainQuestion(this, tr("Data File"), question) || !MakeNewDataFile())
        return;
    const KeySetupResult keys = SetUpKeys();
    ReloadLockerList();
    ReportKeySetup(keys);
}

bool MainWindow::MakeNewDataFile()
{
    const QString cause = DataFiles::MakeNew();
    if (!cause.isEmpty()) {
        ShowPlainWarning(this, tr("Error"),
                         tr("No data file could be made at:\n%1\n%2").arg(CDBManager::ActivePath(), cause));
    }
    TellOfKeptFiles(tr("Data File"));
    return cause.isEmpty();
}

RollbackRecovery MainWindow::RecoverInterruptedRestore()
{
    QString cause;
    const RollbackRecovery recovery = DataFiles::RecoverRollback(&cause);
    switch (recovery) {
    case RollbackRecovery::PutBack:
        ShowPlainInformation(this, tr("Restore"),
                             tr("A restore did not finish. The data file has been put back from the copy "
                                "kept for it:\n%1")
                                 .arg(CDBManager::ActivePath()));
        break;
    case RollbackRecovery::NotPutBack:
        ShowPlainWarning(this, tr("Restore"),
                         tr("A restore did not finish, and the copy kept for it could not be put back as the "
                            "data file. Your data is in:\n%1\n%2")
                             .arg(DataFiles::RollbackPath(), cause));
        break;
    case RollbackRecovery::None:
        break;
    }
    return recovery;
}

void MainWindow::ShowWelcomeDialog()
{
    WelcomeDialog dialog(this);
    dialog.setModal(true);
    dialog.exec();
}

void MainWindow::ApplyTheme()
{
    const bool dark = Utility::GetInstance().settings->value("display_theme", 0).toInt() == 0;
    ui->actionLight_Theme->setEnabled(dark);
    ui->action_Dark_Theme->setEnabled(!dark);

    const QString path =
        dark ? "://stylesheets/WindowsStyleSheet.txt" : "://stylesheets/WindowsStyleSheetLight.txt";
    QFile file(QResource(path).absoluteFilePath());
    // A sheet that cannot be read leaves the look in force.
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        setStyleSheet(QTextStream(&file).readAll());
}

void MainWindow::on_action_Dark_Theme_triggered()
{
    Utility::GetInstance().settings->setValue("display_theme", 0);
    ApplyTheme();
}

void MainWindow::on_actionLight_Theme_triggered()
{
    Utility::GetInstance().settings->setValue("display_theme", 1);
    ApplyTheme();
}

void MainWindow::on_action_Settings_triggered()
{
    {
        Settings dialog(this);
        dialog.setModal(true);
        dialog.exec();
    }
    // Cancel stored nothing, so this re-applies the theme in force.
    ApplyTheme();
    g_showUnlockButton = Utility::GetInstance().settings->value("show_unlock_button", 1).toBool();
    // Redraws the unlock column at once; the list keeps its sizes.
    lockerModel->setQuery(lockerListQuery, CDBManager::GetInstance().GetDataBase());
}

void MainWindow::ResizeLockersWindow()
{
}

void MainWindow::on_action_Master_Password_triggered()
{
    MasterPasswordManager dialog(this);
    dialog.setModal(true);
    dialog.exec();
    if (dialog.changed)
        Utility::GetInstance().settings->setValue("MasterPassword", "Y");
}

void MainWindow::on_actionExit_triggered()
{
    close();
}

void MainWindow::on_actionA_bout_triggered()
{
    AboutDialog dialog(this);
    dialog.setModal(true);
    dialog.exec();
}

void MainWindow::on_action_Password_Generator_triggered()
{
    PasswrodGenerator dialog(this);
    dialog.setModal(true);
    dialog.exec();
}

void MainWindow::DockWidgetToggled()
{
    const int height = ui->dockWidget->height();
    ui->dockWidget->resize(ui->dockWidget->width() == 0 ? 500 : 0, height);
}

void MainWindow::on_action_Hide_Lockers_triggered()
{
    ui->dockWidget->hide();
    ui->action_Hide_Lockers->setEnabled(false);
    ui->action_Show_Lockers->setEnabled(true);
}

void MainWindow::on_action_Show_Lockers_triggered()
{
    ui->dockWidget->show();
    ui->action_Hide_Lockers->setEnabled(true);
    ui->action_Show_Lockers->setEnabled(false);
}

void MainWindow::resizeEvent(QResizeEvent*)
{
    for (QObject* child : children()) {
        auto* dialog = qobject_cast<CenteredDialog*>(child);
        if (dialog && dialog->keepCentered) {
            CenterOn(dialog, this);
            return;
        }
    }
}

namespace {

// One row of the locker list, read before a gate whose login reloads the list.
struct LockerRow
{
    QString id;
    QString name;
    QString key;
    int type;
};

LockerRow LockerAt(const QSqlQueryModel& model, int row)
{
    const QSqlRecord record = model.record(row);
    return {record.value(LockerIdColumn).toString(), record.value(LockerNameColumn).toString(),
            record.value(LockerKeyColumn).toString(), record.value(LockerTypeColumn).toInt()};
}

// The locker under the list's current index; without one, the user is told
// what to select.
std::optional<LockerRow> CurrentLocker(const QTableView& view, const QSqlQueryModel& model,
                                       QWidget* parent, const QString& title, const QString& prompt)
{
    const QModelIndex index = view.currentIndex();
    if (!index.isValid()) {
        QMessageBox::information(parent, title, prompt);
        return std::nullopt;
    }
    return LockerAt(model, index.row());
}

// A Yes/No question with no default button; true on Yes.
bool Confirmed(QWidget* parent, const QString& title, const QString& question)
{
    return QMessageBox::question(parent, title, question) == QMessageBox::Yes;
}

// The entry list of a locker type, or none for an unknown type.
CenteredDialog* MakeEntryListDialog(int type, const QString& id, const QString& name, QWidget* parent)
{
    switch (type) {
    case 1:
        return new IdManagementDialog(id, name, parent);
    case 2:
        return new BankIdManagement(id, name, parent);
    case 3:
        return new DiaryManagement(id, name, parent);
    default:
        return nullptr;
    }
}

const QString RECENT_LOCATION = "RECENT_LOCATION";

// A notice that the user can silence for good.
void ShowNotice(QWidget* parent, const QString& key, const QString& title, const QString& message)
{
    ErrorDialog notice(key, title, message, parent, false);
    notice.setModal(true);
    notice.exec();
}

// Where the folder choosers start: home while nothing is stored, else the folder
// of the file last chosen (a chooser set to a file may open a level higher).
QString RecentFolder()
{
    const QString recent =
        Utility::GetInstance().settings->value(RECENT_LOCATION, QDir::homePath()).toString();
    const QFileInfo info(recent);
    return info.isFile() ? info.absolutePath() : recent;
}

// Asks for an existing file, starting at the one last chosen, and remembers the choice.
QString ChooseRecentFile(QWidget* parent, const QString& title, const QString& filter)
{
    QSettings* settings = Utility::GetInstance().settings;
    const QString recent = settings->value(RECENT_LOCATION).toString();
    const QString path =
        QFileDialog::getOpenFileName(parent, title, recent.isEmpty() ? "/home" : recent, filter);
    if (!path.isEmpty())
        settings->setValue(RECENT_LOCATION, path);
    return path;
}

// Whether a data file is in use, to be copied or replaced; else the user is told.
bool DataFileInUse(QWidget* parent, const QString& title)
{
    const bool inUse = DataFiles::InUse();
    if (!inUse)
        ShowPlainInformation(parent, title, CDBManager::NoDataFileText());
    return inUse;
}

} // namespace

void MainWindow::OnRowClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    ui->actionEdit_Locker->setEnabled(true);
    ui->actionDelete_Locker->setEnabled(true);
    if (g_showUnlockButton && index.column() == LockerUnlockColumn)
        OnRowDoubleClicked(index);
    ui->tableView->selectionModel()->clearSelection();
}

void MainWindow::OnRowDoubleClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    ui->actionEdit_Locker->setEnabled(true);
    ui->actionDelete_Locker->setEnabled(true);
    const LockerRow locker = LockerAt(*lockerModel, index.row());
    if (!UnlockLocker(locker.key, locker.id, locker.name))
        return;
    ui->action_Close_Locker->setEnabled(true);
    OpenLocker(locker.id, locker.name, locker.type);
}

bool MainWindow::UnlockLocker(const QString& key, const QString& id, const QString& name)
{
    switch (LockerStore::ReadMarker(key, name)) {
    case LockerMarker::AskPassword: {
        if (Utility::GetInstance().sessionLockerIds.contains(id))
            return true;
        bool loggedIn = false;
        {
            LoginDialog login(id, this);
            login.setModal(true);
            login.exec();
            loggedIn = login.loggedIn;
        }
        // A login may have rewritten the locker's marker.
        ReloadLockerList();
        return loggedIn;
    }
    case LockerMarker::PasswordSaved:
        return true;
    case LockerMarker::Invalid:
        break;
    }
    return false;
}

void MainWindow::OpenLocker(const QString& id, const QString& name, int type)
{
    openedLockerId = id;
    CenteredDialog* entries = MakeEntryListDialog(type, id, name, this);
    // No list of another locker may stay on screen under this one's name.
    if (!entries) {
        CloseOpenedLocker();
        return;
    }
    entries->keepCentered = false;
    // Embedded in the window rather than a window of its own.
    entries->setWindowFlags(Qt::Widget);
    setCentralWidget(entries);
}

void MainWindow::CloseOpenedLocker()
{
    setCentralWidget(nullptr);
    ui->action_Close_Locker->setEnabled(false);
}

void MainWindow::on_action_Open_Locker_triggered()
{
    const QModelIndex index = ui->tableView->currentIndex();
    if (index.isValid())
        OnRowDoubleClicked(index);
    else
        QMessageBox::information(this, tr("Export"),
                                 tr("Please select a locker from the list that you want to open"));
}

void MainWindow::on_action_Close_Locker_triggered()
{
    CloseOpenedLocker();
}

void MainWindow::on_actionNew_Locker_triggered()
{
    LockerTypeSelection selection(this);
    selection.setModal(true);
    selection.exec();

    AddLocker editor(selection.type, this);
    editor.setModal(true);
    editor.exec();
    ReloadLockerList();
}

void MainWindow::on_actionEdit_Locker_triggered()
{
    const std::optional<LockerRow> locker =
        CurrentLocker(*ui->tableView, *lockerModel, this, tr("Edit Locker"),
                      tr("Please select the locker which you want to view or edit."));
    if (!locker || !UnlockLocker(locker->key, locker->id, locker->name))
        return;

    AddLocker editor(locker->type, this);
    editor.SetEditMode(locker->id);
    editor.setModal(true);
    editor.exec();
    ReloadLockerList();
}

void MainWindow::on_actionDelete_Locker_triggered()
{
    const std::optional<LockerRow> locker =
        CurrentLocker(*ui->tableView, *lockerModel, this, tr("Edit Locker"),
                      tr("Please select the locker which you want delete."));
    if (!locker ||
        !Confirmed(this, tr("Delete Locker"),
                   tr("Do you really want to remove this locker? All associated IDs will be removed as "
                      "well.")) ||
        !UnlockLocker(locker->key, locker->id, locker->name))
        return;
    // A delete that failed leaves the locker, and so its open list, in place.
    if (LockerStore::DeleteLocker(locker->id, locker->type) && locker->id == openedLockerId)
        CloseOpenedLocker();
    ReloadLockerList();
}

void MainWindow::on_actionExport_triggered()
{
    const std::optional<LockerRow> locker =
        CurrentLocker(*ui->tableView, *lockerModel, this, tr("Export"),
                      tr("Please select a locker that you want to export to PDF file."));
    if (!locker ||
        !Confirmed(this, tr("Export"),
                   tr("Selected locker data will be exported to PDF file in plain text. Do you want to "
                      "proceed?")) ||
        !UnlockLocker(locker->key, locker->id, locker->name))
        return;
    const QString folder = ChooseFolder(this);
    if (folder.isEmpty())
        return;
    ShowNotice(this, "err_msg_1", tr("Export"),
               tr("PDF file with the name of selected locker will be written in this folder. If a file "
                  "already exists with the same name, it will be overwritten."));

    switch (locker->type) {
    case 2:
        ExportBankLockerReport(locker->id, folder);
        break;
    case 3:
        ExportNotesLockerReport(locker->id, folder);
        break;
    default:
        ExportLockerReport(1, locker->id, folder);
        break;
    }
}

void MainWindow::ExportBankLockerReport(const QString& lockerId, const QString& folder)
{
    ExportLockerReport(2, lockerId, folder);
}

void MainWindow::ExportNotesLockerReport(const QString& lockerId, const QString& folder)
{
    ExportLockerReport(3, lockerId, folder);
}

void MainWindow::ExportLockerReport(int type, const QString& lockerId, const QString& folder)
{
    QString failure;
    {
        Progress busy(this);
        busy.show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        LockerReport report;
        if (!report.Read(type, lockerId))
            failure = tr("The locker could not be read from the data file.");
        else if (!report.Print(report.FilePath(folder)))
            failure = tr("The PDF file could not be written in this folder:\n%1")
                          .arg(QDir::toNativeSeparators(folder));
    }
    if (failure.isEmpty()) {
        QMessageBox::information(
            this, tr("Export"),
            tr("Data exported. Please delete the file after making a hard copy (printing) or save it in a "
               "secure place. It carries all of your sensitive locker data in plain  and unenrpyted text."));
    } else {
        // The folder is the user's own text: shown as written.
        ShowPlainInformation(this, tr("Export"), failure);
    }
}

void MainWindow::CopyDataFile(const QString& title, const QString& copied, const QString& target)
{
    const QString error = DataFiles::CopyActiveTo(target);
    TellOfKeptFiles(title,
                    error.isEmpty() ? copied + target : tr("Error occurred : <") + target + "> " + error);
}

void MainWindow::on_actionBackup_triggered()
{
    if (!DataFileInUse(this, tr("Backup")))
        return;
    const QString folder = ChooseFolder(this, RecentFolder());
    if (!folder.isEmpty())
        CopyDataFile(tr("Backup"), tr("Backup file copied to "), DataFiles::BackupPath(folder));
}

void MainWindow::on_actionShare_triggered()
{
    if (!DataFileInUse(this, tr("Share")))
        return;
    ShowNotice(this, "err_msg_6", tr("Share"),
               tr("You can share the data in enrypted form with other mobile devices or computers running  "
                  "compatible version of Kestrova. In the next step, please specify the folder where you "
                  "want to copy the data file. You can share this file through network or web folder, or "
                  "simply copy this file to mobile device or computer. From the 'Select File' menu option "
                  "select this copied file. Kestrova will use this selected file for loading and saving new "
                  "information."));
    const QString folder = ChooseFolder(this, RecentFolder());
    if (!folder.isEmpty())
        CopyDataFile(tr("Share"), tr("Date file copied to "), DataFiles::SharePath(folder));
}

void MainWindow::on_actionData_File_triggered()
{
    ShowNotice(this, "err_msg_7", tr("Data File"),
               tr("In the next step please select the data file from network, USB, flash drive or your "
                  "local hard disk. After successful selection, Kestrova will use this file for saving and "
                  "loading data. It is advisable to Create a backup of your existing data file."));
    const QString path = ChooseRecentFile(this, tr("Select Data File"), tr("Data File (*.kvd)"));
    if (path.isEmpty())
        return;

    CloseOpenedLocker();
    DataFiles::Select(path);
    // An empty file chosen is a data file still to be made, unless its rollback copy holds the data.
    bool notMade = false;
    if (FileState::Look(path).kind == FileState::Empty) {
        if (DataFiles::CanMakeNew()) {
            notMade = !MakeNewDataFile();
        } else {
            ShowMissingDataFile();
            notMade = true;
        }
    }
    // Each file is read and written under its own keys.
    const KeySetupResult keys = SetUpKeys();
    ReloadLockerList();
    if (!notMade)
        ReportKeySetup(keys);
    if (KeysInForce(keys))
        ShowPlainInformation(this, tr("Data File"), tr("Data file changed successfully to ") + path);
}

void MainWindow::on_actionRestore_triggered()
{
    if (!DataFileInUse(this, tr("Restore")))
        return;
    ShowNotice(this, "err_msg_5", tr("Restore"),
               tr("Please select the backup file. Current data will be replaced with the selected backup "
                  "file. Please make sure to backup you current data file, and then proceed to restore "
                  "operation."));
    const QString backup = ChooseRecentFile(this, tr("Select Backup"), tr("Backup File (*.kestrova)"));
    if (backup.isEmpty())
        return;

    CloseOpenedLocker();
    QString cause;
    KeySetupResult keys;
    const RestoreResult result = DataFiles::Restore(backup, &keys, &cause);
    // The connection was closed in any case; the list reads the file now in place.
    ReloadLockerList();
    QString text;
    switch (result) {
    case RestoreResult::Restored:
        ReportKeySetup(keys);
        text = tr("Date restored to file ") + backup;
        break;
    case RestoreResult::NotRestored:
        text = tr("Error occurred while restoring to ") + backup + "\n" + cause;
        break;
    case RestoreResult::EarlierCopyNotMoved:
        text = tr("Nothing was restored: an earlier restore left a different copy of your data at %1, and it "
                  "could not be moved aside.\n%2")
                   .arg(DataFiles::RollbackPath(), cause);
        break;
    case RestoreResult::NoRollback:
        text = tr("Nothing was restored: the data file could not be copied to %1.\n%2")
                   .arg(DataFiles::RollbackPath(), cause);
        break;
    }
    TellOfKeptFiles(tr("Restore"), text);
}
