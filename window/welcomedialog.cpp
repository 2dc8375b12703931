#include "window/welcomedialog.h"
#include "ui_welcomedialog.h"

#include "core/utility.h"

#include <QSettings>

WelcomeDialog::WelcomeDialog(QWidget* parent)
    : CenteredDialog(parent)
    , ui(std::make_unique<Ui::WelcomeDialog>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    // The lower part of the picture is light, so the check box text is black
    // in both themes.
    setStyleSheet("QDialog { border-image: url(:/graphics/welcome.png); }\n"
                  "QCheckBox { background: transparent; color: black; }");
}

WelcomeDialog::~WelcomeDialog() = default;

bool WelcomeDialog::ShowsAtStart()
{
    return Utility::GetInstance().settings->value("FIRST_TIME_START", 1).toInt() != 0;
}

void WelcomeDialog::on_pushClose_clicked()
{
    if (ui->checkBox->isChecked())
        Utility::GetInstance().settings->setValue("FIRST_TIME_START", 0);
    close();
}
