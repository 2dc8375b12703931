#ifndef ENTRYCELLSTYLE_H
#define ENTRYCELLSTYLE_H

#include <QVariant>

#include <vector>

class QModelIndex;

// How an entry list model dresses one column: an icon, and on the button
// columns a tooltip. The texts are untranslated on purpose.
struct EntryCellStyle
{
    int column;
    const char* tooltip; // null: the column has no tooltip of its own
    const char* icon;
    int iconSize;
};

// The dressed value of a cell, or an invalid QVariant when the styles leave
// the cell to the base model.
QVariant StyledEntryCell(const std::vector<EntryCellStyle>& styles, const QModelIndex& index, int role);

#endif // ENTRYCELLSTYLE_H
