#include "window/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/DBManager.h"
#include "core/keysetup.h"
#include "core/utility.h"
#include "entries/passwrodgenerator.h"
#include "window/CenteredDialog.h"
#include "window/lockermodel.h"
#include "window/masterpasswordmanager.h"

#include <QMessageBox>
#include <QScroller>
#include <QSettings>
#include <QSqlQuery>
#include <QTimer>

const QString g_screenMode = "BIG";

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , lockerListQuery("SELECT ID, NAME, TYPE, KEY, '', '' from tblLocker ORDER BY TYPE ASC, NAME ASC")
    , lockerModel(new LockerModel(this))
{
    ui->setupUi(this);

    g_showUnlockButton = Utility::GetInstance().settings->value("show_unlock_button", 1).toBool();

    // Later scrollers start from these properties: no smoothing of the drag velocity.
    QScrollerProperties properties = QScroller::scroller(ui->scrollArea)->scrollerProperties();
    properties.setScrollMetric(QScrollerProperties::DragVelocitySmoothingFactor, 0);
    QScrollerProperties::setDefaultScrollerProperties(properties);
    QScroller::grabGesture(ui->tableView->viewport(), QScroller::LeftMouseButtonGesture);

    lockerModel->setQuery(lockerListQuery, CDBManager::GetInstance().GetDataBase());
    ui->tableView->setModel(lockerModel);
    ui->tableView->hideColumn(LockerIdColumn);
    ui->tableView->hideColumn(LockerTypeColumn);
    ui->tableView->hideColumn(LockerKeyColumn);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->resizeRowsToContents();
    ui->tableView->horizontalHeader()->setStretchLastSection(true);
    ui->tableView->show();

    SetUpKeys();

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

void MainWindow::SetUpKeys()
{
    switch (::SetUpKeys()) {
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
    case KeySetupResult::Generated:
    case KeySetupResult::MasterPassword:
        break;
    }
}

void MainWindow::ShowWelcomeDialog()
{
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
