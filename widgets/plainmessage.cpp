#include "widgets/plainmessage.h"

#include <QMessageBox>

namespace {

int ShowPlain(QMessageBox::Icon icon, QWidget* parent, const QString& title, const QString& text,
              QMessageBox::StandardButtons buttons = QMessageBox::Ok)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (buttons.testFlag(QMessageBox::No))
        box.setDefaultButton(QMessageBox::No);
    return box.exec();
}

} // namespace

void ShowPlainInformation(QWidget* parent, const QString& title, const QString& text)
{
    ShowPlain(QMessageBox::Information, parent, title, text);
}

void ShowPlainWarning(QWidget* parent, const QString& title, const QString& text)
{
    ShowPlain(QMessageBox::Warning, parent, title, text);
}

bool AskPlainQuestion(QWidget* parent, const QString& title, const QString& text)
{
    return ShowPlain(QMessageBox::Question, parent, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}
