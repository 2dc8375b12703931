#ifndef MASTERPASSWORDMANAGER_H
#define MASTERPASSWORDMANAGER_H

#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class MasterPasswordManager;
}

// Sets the first master password or changes it, and re-wraps the content key
// under the new digest so that every stored secret stays readable.
class MasterPasswordManager : public CenteredDialog
{
    Q_OBJECT

public:
    explicit MasterPasswordManager(QWidget* parent);
    ~MasterPasswordManager() override;

    // Whether the last Change that got past the checks stored the new master password.
    bool changed;

private slots:
    void on_pushClose_clicked();
    void on_pushChange_clicked();
    void on_checkBox_stateChanged(int state);
    void on_checkBox_2_stateChanged(int state);
    void on_checkBox_3_stateChanged(int state);

private:
    std::unique_ptr<Ui::MasterPasswordManager> ui;
    // The digest read at construction; the current password is checked against it.
    QString storedHash;
};

#endif // MASTERPASSWORDMANAGER_H
