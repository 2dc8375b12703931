#ifndef DIARYIDMODEL_H
#define DIARYIDMODEL_H

#include <QSqlQueryModel>

// The secure notes of a locker: the kind's icon beside the name and the icon buttons.
class DiaryIDModel : public QSqlQueryModel
{
public:
    using QSqlQueryModel::QSqlQueryModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

#endif // DIARYIDMODEL_H
