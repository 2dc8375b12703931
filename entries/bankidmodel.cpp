#include "entries/bankidmodel.h"

#include "entries/entrycellstyle.h"

QVariant BankIDModel::data(const QModelIndex& index, int role) const
{
    static const std::vector<EntryCellStyle> styles = {
        {1, nullptr, "://images/bank_card.png", 50},
        {2, "Click to copy card number", "://images/credit-card-number.png", 35},
        {3, "Click to copy pin", "://images/password-icon.png", 35},
        {4, "Click to copy three digit code", "://images/three_digit_code.png", 35},
    };
    const QVariant styled = StyledEntryCell(styles, index, role);
    return styled.isValid() ? styled : QSqlQueryModel::data(index, role);
}
