#ifndef BANKIDMODEL_H
#define BANKIDMODEL_H

#include <QSqlQueryModel>

// The bank cards of a locker: the kind's icon beside the name and the icon buttons.
class BankIDModel : public QSqlQueryModel
{
public:
    using QSqlQueryModel::QSqlQueryModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

#endif // BANKIDMODEL_H
