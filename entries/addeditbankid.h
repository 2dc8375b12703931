#ifndef ADDEDITBANKID_H
#define ADDEDITBANKID_H

#include "entries/entryeditor.h"

#include <memory>

namespace Ui {
class AddEditBankID;
}

// Adds or edits one bank card of a locker.
class AddEditBankID : public EntryEditor
{
    Q_OBJECT

public:
    AddEditBankID(const QString& openedLockerId, QWidget* parent);
    ~AddEditBankID() override;

private slots:
    void on_checkShowCardNumber_stateChanged(int);
    void on_checkShowPin_stateChanged(int);
    void on_checkShowCode_stateChanged(int);
    void on_pushGenerate_clicked();

private:
    std::unique_ptr<Ui::AddEditBankID> ui;
};

#endif // ADDEDITBANKID_H
