#ifndef PLAINMESSAGE_H
#define PLAINMESSAGE_H

#include <QString>

class QWidget;

// Message boxes whose text shows exactly as written, for messages that carry
// a file path or another value the user chose.
void ShowPlainInformation(QWidget* parent, const QString& title, const QString& text);
void ShowPlainWarning(QWidget* parent, const QString& title, const QString& text);
// A question with Yes and No, No the default; true when the answer is Yes.
bool AskPlainQuestion(QWidget* parent, const QString& title, const QString& text);

#endif // PLAINMESSAGE_H
