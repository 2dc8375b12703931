#ifndef ADDEDITDIARYNOTE_H
#define ADDEDITDIARYNOTE_H

#include "entries/entryeditor.h"

#include <memory>

namespace Ui {
class AddEditDiaryNote;
}

// Adds or edits one secure note of a locker; the note keeps its rich text.
class AddEditDiaryNote : public EntryEditor
{
    Q_OBJECT

public:
    AddEditDiaryNote(const QString& openedLockerId, QWidget* parent);
    ~AddEditDiaryNote() override;

private:
    std::unique_ptr<Ui::AddEditDiaryNote> ui;
};

#endif // ADDEDITDIARYNOTE_H
