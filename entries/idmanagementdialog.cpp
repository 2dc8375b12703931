#include "entries/idmanagementdialog.h"
#include "ui_idmanagementdialog.h"

#include "core/botanadapter.h"
#include "entries/addeditiddialog.h"
#include "entries/idmodel.h"
#include "window/errordialog.h"

#include <QDesktopServices>
#include <QSqlRecord>
#include <QUrl>

IdManagementDialog::IdManagementDialog(const QString& openedLockerId, const QString& lockerName,
                                       QWidget* parent)
    : EntryListDialog(openedLockerId, parent)
    , ui(std::make_unique<Ui::IdManagementDialog>())
{
    ui->setupUi(this);
    ui->labelHeading->setText(lockerName + tr(" - SECURE WEB IDs"));
    SetUp({ui->tableViewIds, ui->scrollArea, ui->pushBack, ui->label}, new IDModel(this),
          {"SELECT ID, name,'','','' from tblId", " ORDER BY NAME ASC",
           "SELECT url, user_name, password FROM tblid WHERE id = ", "DELETE FROM tblId WHERE ID = "},
          {tr("Edit"), tr("Please select the ID which you want to edit"), tr("Delete ID"),
           tr("Do you really want to remove this ID?")});
}

IdManagementDialog::~IdManagementDialog() = default;

QString IdManagementDialog::ClickedText(int column, const QSqlRecord& secrets)
{
    BotanAdapter& botan = BotanAdapter::GetInstance();
    switch (column) {
    case 2:
        return botan.Decrypt(secrets.value(1).toString());
    case 3:
        return botan.Decrypt(secrets.value(2).toString());
    case 4: {
        ErrorDialog hint("err_msg_8", tr("Open URL"),
                         tr("Clicking on this shortcut will open the URL in browser and associated password "
                            "will be copied to clipboard. You can paste this password in the browser or "
                            "anywhere. For example, on Windows you can  paste with Ctrl+V keys or with the "
                            "help of mouse. If you need to paste the ID/Login, please click on the ID icon, "
                            "that will copy the ID to clipbaord."),
                         this, false);
        hint.exec();
        QDesktopServices::openUrl(QUrl(secrets.value(0).toString(), QUrl::TolerantMode));
        return botan.Decrypt(secrets.value(2).toString());
    }
    default:
        return QString();
    }
}

void IdManagementDialog::RunEditor(const QString& rowId)
{
    RunEditorOf<AddEditIdDialog>(rowId);
}
