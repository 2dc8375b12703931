#ifndef ADDLOCKER_H
#define ADDLOCKER_H

#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class AddLocker;
}

// Creates a locker of a given type, or after SetEditMode changes one. Stays
// open after a save; the user leaves it with Close.
class AddLocker : public CenteredDialog
{
    Q_OBJECT

public:
    AddLocker(int lockerType, QWidget* parent);
    ~AddLocker() override;

    void SetEditMode(const QString& lockerId);

private slots:
    void on_pushClose_clicked();
    void on_pushAdd_clicked();
    void on_checkShowPassword_stateChanged(int state);
    void on_checkShowRepeatPassword_stateChanged(int state);
    void on_checkUserMasterPassWord_stateChanged(int state);

private:
    // The first complaint about the form, or the empty text when it may be saved.
    QString CheckForm() const;

    std::unique_ptr<Ui::AddLocker> ui;
    QString id;
    bool editMode;
    int type;
};

#endif // ADDLOCKER_H
