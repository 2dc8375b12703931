#ifndef PLAINMESSAGE_H
#define PLAINMESSAGE_H

#include <QString>

class QWidget;

// An information or warning box with an Ok button whose text shows exactly as
// written, for messages that carry a file path or another value the user chose.
void ShowPlainInformation(QWidget* parent, const QString& title, const QString& text);
void ShowPlainWarning(QWidget* parent, const QString& title, const QString& text);

#endif // PLAINMESSAGE_H
