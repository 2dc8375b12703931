#ifndef ERRORDIALOG_H
#define ERRORDIALOG_H

#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class ErrorDialog;
}

// A notice that the user can silence for good under its settings key; a
// plain notice has no check box and always shows.
class ErrorDialog : public CenteredDialog
{
    Q_OBJECT

public:
    ErrorDialog(QString settingsKey, QString title, QString message, QWidget* parent, bool isPlain);
    ~ErrorDialog() override;

public slots:
    int exec() override;

private slots:
    void on_pushButton_clicked();

private:
    std::unique_ptr<Ui::ErrorDialog> ui;
    QString key;
    bool plain;
};

#endif // ERRORDIALOG_H
