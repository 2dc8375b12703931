#include "widgets/plainmessage.h"

#include <QMessageBox>

namespace {

void ShowPlain(QMessageBox::Icon icon, QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
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
