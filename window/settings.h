#ifndef SETTINGS_H
#define SETTINGS_H

#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class Settings;
}

// The display theme and whether the locker list shows its unlock column;
// both are stored on Ok and read by the main window afterwards.
class Settings : public CenteredDialog
{
    Q_OBJECT

public:
    explicit Settings(QWidget* parent);
    ~Settings() override;

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();
    void on_pushHelp_clicked();

private:
    std::unique_ptr<Ui::Settings> ui;
};

#endif // SETTINGS_H
