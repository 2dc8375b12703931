#include "window/lockermodel.h"

#include <QPixmap>

bool g_showUnlockButton = true;

namespace {

QPixmap ListIcon(const QString& path)
{
    return QPixmap(path).scaled(40, 40, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QString TypeIconPath(int type)
{
    switch (type) {
    case 1:
        return "://images/web.png";
    case 2:
        return "://images/bank.png";
    case 3:
        return "://images/notes_locker.png";
    default:
        return QString();
    }
}

} // namespace

QVariant LockerModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::DecorationRole && index.column() == LockerNameColumn) {
        const int type = QSqlQueryModel::data(index.siblingAtColumn(LockerTypeColumn)).toInt();
        return ListIcon(TypeIconPath(type));
    }
    if (g_showUnlockButton && role == Qt::DecorationRole && index.column() == LockerUnlockColumn)
        return ListIcon("://images/unlock.png");
    return QSqlQueryModel::data(index, role);
}
