#include "entries/idmanagementdialog.h"
#include "ui_idmanagementdialog.h"

#include "entries/addeditiddialog.h"
#include "entries/idmodel.h"
#include "widgets/errordialog.h"

#include <QDesktopServices>
#include <QUrl>

IdManagementDialog::IdManagementDialog(const QString& openedLockerId, const QString& lockerName,
                                       QWidget* parent)
    : EntryListDialog(1, openedLockerId, parent)
    , ui(std::make_unique<Ui::IdManagementDialog>())
{
    ui->setupUi(this);
    ui->labelHeading->setText(lockerName + tr(" - SECURE WEB IDs"));
    SetUp({ui->tableViewIds, ui->scrollArea, ui->pushBack, ui->label}, new IDModel(this),
          {tr("Edit"), tr("Please select the ID which you want to edit"), tr("Delete ID"),
           tr("Do you really want to remove this ID?")});
}

IdManagementDialog::~IdManagementDialog() = default;

QString IdManagementDialog::ClickedText(int column, const QStringList& values)
{
    // The values are URL, user name and password.
    switch (column) {
    case 2:
        return values.value(1);
    case 3:
        return values.value(2);
    case 4: {
        ErrorDialog hint("err_msg_8", tr("Open URL"),
                         tr("Clicking on this shortcut will open the URL in browser and associated password "
                            "will be copied to clipboard. You can paste this password in the browser or "
                            "anywhere. For example, on Windows you can  paste with Ctrl+V keys or with the "
                            "help of mouse. If you need to paste the ID/Login, please click on the ID icon, "
                            "that will copy the ID to clipbaord."),
                         this, false);
        hint.exec();
        QDesktopServices::openUrl(QUrl(values.value(0), QUrl::TolerantMode));
        return values.value(2);
    }
    default:
        return QString();
    }
}

void IdManagementDialog::RunEditor(const QString& rowId)
{
    RunEditorOf<AddEditIdDialog>(rowId);
}
