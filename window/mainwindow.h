#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "core/datafiles.h"
#include "core/keysetup.h"

#include <QMainWindow>
#include <QModelIndex>

#include <memory>

namespace Ui {
class MainWindow;
}
class LockerModel;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void ShowWelcomeDialog();
    // Sets the stored theme's style sheet on the window; every dialog under it inherits it.
    void ApplyTheme();
    // Runs lockerListQuery again and fits the list to its contents.
    void ReloadLockerList();

    // The lock gate: true when the locker may be used now, after a login if its
    // marker asks for one.
    bool UnlockLocker(const QString& key, const QString& id, const QString& name);
    // Makes the locker's entry list the central widget.
    void OpenLocker(const QString& id, const QString& name, int type);

    // Write the locker's PDF report into `folder`, then tell the user how that went.
    void ExportBankLockerReport(const QString& lockerId, const QString& folder);
    void ExportNotesLockerReport(const QString& lockerId, const QString& folder);

public slots:
    void ResizeLockersWindow();
    void on_actionNew_Locker_triggered();
    void OnRowDoubleClicked(const QModelIndex& index);
    void OnRowClicked(const QModelIndex& index);
    void on_action_Master_Password_triggered();
    void on_actionEdit_Locker_triggered();
    void on_actionDelete_Locker_triggered();
    void on_actionExit_triggered();
    void on_action_Settings_triggered();
    void on_actionA_bout_triggered();
    void on_action_Close_Locker_triggered();
    void on_action_Open_Locker_triggered();
    void on_actionBackup_triggered();
    void on_actionShare_triggered();
    void on_actionData_File_triggered();
    void on_actionRestore_triggered();
    void on_action_Password_Generator_triggered();
    void on_action_Dark_Theme_triggered();
    void on_actionLight_Theme_triggered();
    void DockWidgetToggled();
    void on_action_Hide_Lockers_triggered();
    void on_action_Show_Lockers_triggered();
    void on_actionExport_triggered();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Tells the user what the key set-up found, where that needs saying.
    void ReportKeySetup(KeySetupResult result);
    // Says why no data file is named: a first start could not make one, or carry an older one over.
    void ReportNoDataFolder();
    // Says which stored secrets of an older data file that a first start carried over cannot be read.
    void ReportCarriedOver();
    // Says that the data file is missing or empty, and that no new one is made there.
    void ShowMissingDataFile();
    QString MissingDataFileText() const;
    // Says that the data file is missing or empty and, where a new one may be
    // made there, makes one at the user's word.
    void OfferNewDataFile();
    // Makes the missing or empty data file anew, or says why it could not.
    bool MakeNewDataFile();
    // Shows `text`, where there is one, with the files kept aside and not yet
    // told of, which are told of then.
    void TellOfKeptFiles(const QString& title, const QString& text = QString());
    // Copies the active data file to `target` and says how it went.
    void CopyDataFile(const QString& title, const QString& copied, const QString& target);
    // Puts back a data file that a restore cut short left only in its rollback copy, and says so.
    RollbackRecovery RecoverInterruptedRestore();
    void CloseOpenedLocker();
    void ExportLockerReport(int type, const QString& lockerId, const QString& folder);

    std::unique_ptr<Ui::MainWindow> ui;
    QString lockerListQuery;
    QString openedLockerId;
    LockerModel* lockerModel;
};

#endif // MAINWINDOW_H
