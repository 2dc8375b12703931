#ifndef IDMANAGEMENTDIALOG_H
#define IDMANAGEMENTDIALOG_H

#include "entries/entrylistdialog.h"

#include <memory>

namespace Ui {
class IdManagementDialog;
}

// The web IDs of an opened locker.
class IdManagementDialog : public EntryListDialog
{
    Q_OBJECT

public:
    IdManagementDialog(const QString& openedLockerId, const QString& lockerName, QWidget* parent);
    ~IdManagementDialog() override;

private:
    QString ClickedText(int column, const QStringList& values) override;
    void RunEditor(const QString& rowId) override;

    std::unique_ptr<Ui::IdManagementDialog> ui;
};

#endif // IDMANAGEMENTDIALOG_H
