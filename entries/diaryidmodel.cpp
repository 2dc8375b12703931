#include "entries/diaryidmodel.h"

#include "entries/entrycellstyle.h"

QVariant DiaryIDModel::data(const QModelIndex& index, int role) const
{
    static const std::vector<EntryCellStyle> styles = {
        {1, nullptr, "://images/notes_diary.png", 35},
        {3, "Click to copy text", "://images/copy_icon.png", 25},
    };
    const QVariant styled = StyledEntryCell(styles, index, role);
    return styled.isValid() ? styled : QSqlQueryModel::data(index, role);
}
