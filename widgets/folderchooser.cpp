#include "widgets/folderchooser.h"

#include <QDir>
#include <QFileDialog>

QString ChooseFolder(QWidget* parent, const QString& startFolder)
{
    QFileDialog dialog(parent, QString(), QString(), QString());
    dialog.setModal(true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!startFolder.isEmpty())
        dialog.setDirectory(startFolder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    // The selection, not directory(): that is only the folder the dialog was showing.
    return QDir(dialog.selectedFiles().first()).absolutePath();
}
