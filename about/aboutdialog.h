#ifndef ABOUTDIALOG_H
#define ABOUTDIALOG_H

#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class AboutDialog;
}

// The About box: version, notice and links, and the online version check.
class AboutDialog : public CenteredDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent);
    ~AboutDialog() override;

private slots:
    void on_buttonOK_clicked();
    void CheckVersion();
    void on_pushCheckVersion_clicked();

private:
    // Connected by hand to the link labels; not a slot, so that the form's
    // connect-by-name does not look for a matching widget.
    void on_HyperLink_clicked(const QString& link);

    std::unique_ptr<Ui::AboutDialog> ui;
};

// Closes the busy window that Check Version shows, if there is one; the
// version client calls it when its reply arrives.
void CloseAboutBusyWindow();

#endif // ABOUTDIALOG_H
