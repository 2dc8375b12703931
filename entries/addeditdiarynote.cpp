#include "entries/addeditdiarynote.h"
#include "ui_addeditdiarynote.h"

AddEditDiaryNote::AddEditDiaryNote(const QString& openedLockerId, QWidget* parent)
    : EntryEditor(openedLockerId, parent)
    , ui(std::make_unique<Ui::AddEditDiaryNote>())
{
    ui->setupUi(this);
    SetUp(
        ui->scrollArea, ui->lineName, ui->pushAdd,
        {
            {ui->lineName, tr("Please enter alpha numeric name or alias of note.")},
        },
        {
            {":name", 2, Source::Line, false, ui->lineName, nullptr},
            {":timestamp", 3, Source::SaveTime, false, nullptr, nullptr},
            {":notes", 4, Source::Html, true, nullptr, ui->textNotes},
        },
        {"tblId3",
         " INSERT INTO tblId3 (LOCKER_ID, NAME, TIME_STAMP, NOTES)  VALUES (:locker_id, :name , :timestamp , "
         ":notes)",
         "UPDATE tblId3 SET LOCKER_ID = :locker_id, NAME =:name, TIME_STAMP = :timestamp, NOTES = :notes "
         "WHERE ID = "},
        {tr("Error"), tr("Update"), tr("Note with this name already exists. Please choose another name."),
         tr("Add Note"), tr("New Note details added successfully!"), tr("Update Note"),
         tr("Note details updated successfully!"), tr("Error occurred while adding new Note."),
         tr("Error occurred while updating Note.")});
    resize(800, 600);
}

AddEditDiaryNote::~AddEditDiaryNote() = default;
