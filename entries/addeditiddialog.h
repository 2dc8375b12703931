#ifndef ADDEDITIDDIALOG_H
#define ADDEDITIDDIALOG_H

#include "entries/entryeditor.h"

#include <memory>

namespace Ui {
class AddEditIdDialog;
}

// Adds or edits one web ID of a locker.
class AddEditIdDialog : public EntryEditor
{
    Q_OBJECT

public:
    AddEditIdDialog(const QString& openedLockerId, QWidget* parent);
    ~AddEditIdDialog() override;

private slots:
    void on_checkBox_stateChanged(int);
    void on_pushGenerate_clicked();

private:
    std::unique_ptr<Ui::AddEditIdDialog> ui;
};

#endif // ADDEDITIDDIALOG_H
