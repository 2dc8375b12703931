#ifndef LOCKERTYPESELECTION_H
#define LOCKERTYPESELECTION_H

#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class LockerTypeSelection;
}

// Asks which kind of locker to create; the caller reads `type` afterwards.
class LockerTypeSelection : public CenteredDialog
{
    Q_OBJECT

public:
    explicit LockerTypeSelection(QWidget* parent);
    ~LockerTypeSelection() override;

    // 1 web IDs, 2 bank cards, 3 secure notes; changes only on "Ok".
    int type;

private slots:
    void on_pushOk_clicked();
    void on_pushWeb_clicked();
    void on_pushBank_clicked();
    void on_pushNotes_clicked();

private:
    std::unique_ptr<Ui::LockerTypeSelection> ui;
};

#endif // LOCKERTYPESELECTION_H
