#ifndef WELCOMEDIALOG_H
#define WELCOMEDIALOG_H

#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class WelcomeDialog;
}

// The frameless welcome picture shown at start until the user asks not to
// see it again.
class WelcomeDialog : public CenteredDialog
{
    Q_OBJECT

public:
    explicit WelcomeDialog(QWidget* parent);
    ~WelcomeDialog() override;

    // True until the user closes the dialog with its box ticked.
    static bool ShowsAtStart();

private slots:
    void on_pushClose_clicked();

private:
    std::unique_ptr<Ui::WelcomeDialog> ui;
};

#endif // WELCOMEDIALOG_H
