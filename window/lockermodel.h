#ifndef LOCKERMODEL_H
#define LOCKERMODEL_H

#include <QSqlQueryModel>

// The locker list: the type icon beside each name and the unlock icon column.
class LockerModel : public QSqlQueryModel
{
public:
    using QSqlQueryModel::QSqlQueryModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// Locker list columns, as lockerListQuery selects them.
enum LockerColumn
{
    LockerIdColumn = 0,
    LockerNameColumn = 1,
    LockerTypeColumn = 2,
    LockerKeyColumn = 3,
    LockerUnlockColumn = 4,
};

// The process-wide copy of the "show_unlock_button" setting.
extern bool g_showUnlockButton;

#endif // LOCKERMODEL_H
