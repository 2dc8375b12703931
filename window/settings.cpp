#include "window/settings.h"
#include "ui_settings.h"

#include "core/utility.h"
#include "widgets/errordialog.h"

#include <QSettings>

Settings::Settings(QWidget* parent)
    : CenteredDialog(parent)
    , ui(std::make_unique<Ui::Settings>())
{
    ui->setupUi(this);
    QSettings* settings = Utility::GetInstance().settings;
    if (settings->value("display_theme", 0).toBool())
        ui->radioLightTheme->setChecked(true);
    else
        ui->radioDarkTheme->setChecked(true);
    ui->checkUnlockButton->setChecked(settings->value("show_unlock_button", 1).toBool());
}

Settings::~Settings() = default;

void Settings::on_buttonBox_accepted()
{
    QSettings* settings = Utility::GetInstance().settings;
    settings->setValue("display_theme", ui->radioDarkTheme->isChecked() ? 0 : 1);
    settings->setValue("show_unlock_button", ui->checkUnlockButton->isChecked() ? 1 : 0);
    close();
}

void Settings::on_buttonBox_rejected()
{
    close();
}

void Settings::on_pushHelp_clicked()
{
    ErrorDialog notice("err_msg_4", tr("Unlock Button"),
                       tr("If checked, unlock button will be shown in the lockers list. Clicking on "
                          "this unlock button will open the locker. This is useful for touch screen "
                          "devices. Locker can also be opened by double clicking on the locker name. "
                          "Locker can be selected by clicking on the name in the list."),
                       this, true);
    notice.exec();
}
