#include "entries/idmodel.h"

#include "entries/entrycellstyle.h"

QVariant IDModel::data(const QModelIndex& index, int role) const
{
    static const std::vector<EntryCellStyle> styles = {
        {1, nullptr, "://images/user-id-icon.png", 35},
        {2, "Click to copy User Name", "://images/user_48x48.png", 25},
        {3, "Click to copy Password", "://images/password-icon.png", 25},
        {4, "Click to Launch URL", "://images/Hyperlink.png", 25},
    };
    const QVariant styled = StyledEntryCell(styles, index, role);
    return styled.isValid() ? styled : QSqlQueryModel::data(index, role);
}
