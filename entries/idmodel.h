#ifndef IDMODEL_H
#define IDMODEL_H

#include <QSqlQueryModel>

// The web IDs of a locker: the kind's icon beside the name and the icon buttons.
class IDModel : public QSqlQueryModel
{
public:
    using QSqlQueryModel::QSqlQueryModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

#endif // IDMODEL_H
