#include "entries/addeditdiarynote.h"
#include "ui_addeditdiarynote.h"

AddEditDiaryNote::AddEditDiaryNote(const QString& openedLockerId, QWidget* parent)
    : EntryEditor(3, openedLockerId, parent)
    , ui(std::make_unique<Ui::AddEditDiaryNote>())
{
    ui->setupUi(this);
    SetUp(
        ui->scrollArea, ui->lineName, ui->pushAdd,
        {
            {ui->lineName, tr("Please enter alpha numeric name or alias of note.")},
        },
        {
            {"NAME", Source::Line, ui->lineName, nullptr},
            {"NOTES", Source::Html, nullptr, ui->textNotes},
        },
        {tr("Error"), tr("Update"), tr("Note with this name already exists. Please choose another name."),
         tr("Add Note"), tr("New Note details added successfully!"), tr("Update Note"),
         tr("Note details updated successfully!"), tr("Error occurred while adding new Note."),
         tr("Error occurred while updating Note.")});
    resize(800, 600);
}

AddEditDiaryNote::~AddEditDiaryNote() = default;
