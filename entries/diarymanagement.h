#ifndef DIARYMANAGEMENT_H
#define DIARYMANAGEMENT_H

#include "entries/entrylistdialog.h"

#include <memory>

namespace Ui {
class DiaryManagement;
}

// The secure notes of an opened locker.
class DiaryManagement : public EntryListDialog
{
    Q_OBJECT

public:
    DiaryManagement(const QString& openedLockerId, const QString& lockerName, QWidget* parent);
    ~DiaryManagement() override;

private:
    QString ClickedText(int column, const QStringList& values) override;
    void RunEditor(const QString& rowId) override;

    std::unique_ptr<Ui::DiaryManagement> ui;
};

#endif // DIARYMANAGEMENT_H
