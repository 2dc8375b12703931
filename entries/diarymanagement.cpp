#include "entries/diarymanagement.h"
#include "ui_diarymanagement.h"

#include "entries/addeditdiarynote.h"
#include "entries/diaryidmodel.h"
#include "widgets/errordialog.h"

#include <QTextDocument>

DiaryManagement::DiaryManagement(const QString& openedLockerId, const QString& lockerName, QWidget* parent)
    : EntryListDialog(3, openedLockerId, parent)
    , ui(std::make_unique<Ui::DiaryManagement>())
{
    ui->setupUi(this);
    ui->labelHeading->setText(lockerName + tr(" - SECURE NOTES"));
    SetUp({ui->tableViewIds, ui->scrollArea, ui->pushBack, ui->label}, new DiaryIDModel(this),
          {tr("Edit"), tr("Please select the Note which you want to edit"), tr("Delete Note"),
           tr("Do you really want to remove this Note?")});
}

DiaryManagement::~DiaryManagement() = default;

QString DiaryManagement::ClickedText(int column, const QStringList& values)
{
    if (column != 3)
        return QString();
    ErrorDialog hint("err_msg_9", tr("Copy Text"),
                     tr("Clicking on this shortcut will copy the text saved under this note to clipboard. "
                        "You can paste this text anywhere. For example, on Windows you can  paste with "
                        "Ctrl+V keys or with the help of mouse. "),
                     this, false);
    hint.exec();
    // Notes are stored as the editor's HTML; the clipboard gets their plain text.
    QTextDocument note;
    note.setHtml(values.value(0));
    return note.toPlainText();
}

void DiaryManagement::RunEditor(const QString& rowId)
{
    RunEditorOf<AddEditDiaryNote>(rowId);
}
