#include "widgets/errordialog.h"
#include "ui_errordialog.h"

#include "core/utility.h"

#include <QScroller>
#include <QSettings>

ErrorDialog::ErrorDialog(QString settingsKey, QString title, QString message, QWidget* parent, bool isPlain)
    : CenteredDialog(parent)
    , ui(std::make_unique<Ui::ErrorDialog>())
    , key(std::move(settingsKey))
    , plain(isPlain)
{
    ui->setupUi(this);
    QScroller::grabGesture(ui->txtMessage->viewport(), QScroller::LeftMouseButtonGesture);
    ui->txtMessage->setReadOnly(true);
    ui->txtMessage->setText(message);
    setWindowTitle(title);
    if (plain)
        ui->frameCheckBox->hide();
}

ErrorDialog::~ErrorDialog() = default;

int ErrorDialog::exec()
{
    if (plain)
        return QDialog::exec();
    if (Utility::GetInstance().settings->value(key, 0).toBool()) {
        close();
        return 1;
    }
    QDialog::exec();
    return 1;
}

void ErrorDialog::on_pushButton_clicked()
{
    if (!plain)
        Utility::GetInstance().settings->setValue(key, ui->checkNotShow->isChecked() ? 1 : 0);
    close();
}
