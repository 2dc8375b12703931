#ifndef FOLDERCHOOSER_H
#define FOLDERCHOOSER_H

#include <QString>

class QWidget;

// Asks for a folder, starting in `startFolder` (or wherever the dialog opens by
// default when it is empty). Returns the absolute path of the folder the user
// selected, which is the folder shown when nothing is selected in it; the
// empty text when the dialog was not accepted.
QString ChooseFolder(QWidget* parent, const QString& startFolder = QString());

#endif // FOLDERCHOOSER_H
