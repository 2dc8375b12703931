#ifndef CENTEREDDIALOG_H
#define CENTEREDDIALOG_H

#include <QDialog>

// Base of the program's dialogs: each time it is shown it activates itself
// and centres on its parent.
class CenteredDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CenteredDialog(QWidget* parent);

    // The main window re-centres the first child dialog that has this set
    // when it is resized.
    bool keepCentered;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

// Moves a child window so that its centre lies on the centre of `around`.
void CenterOn(QWidget* window, const QWidget* around);

#endif // CENTEREDDIALOG_H
