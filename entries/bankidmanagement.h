#ifndef BANKIDMANAGEMENT_H
#define BANKIDMANAGEMENT_H

#include "entries/entrylistdialog.h"

#include <memory>

namespace Ui {
class BankIdManagement;
}

// The bank cards of an opened locker.
class BankIdManagement : public EntryListDialog
{
    Q_OBJECT

public:
    BankIdManagement(const QString& openedLockerId, const QString& lockerName, QWidget* parent);
    ~BankIdManagement() override;

private:
    QString ClickedText(int column, const QStringList& values) override;
    void RunEditor(const QString& rowId) override;

    std::unique_ptr<Ui::BankIdManagement> ui;
};

#endif // BANKIDMANAGEMENT_H
