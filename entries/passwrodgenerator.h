#ifndef PASSWRODGENERATOR_H
#define PASSWRODGENERATOR_H

#include "widgets/CenteredDialog.h"

#include <memory>

namespace Ui {
class PasswrodGenerator;
}

// Draws a random password from the ticked character pools. Select and Copy
// Password put it on the clipboard and keep it for the opener.
class PasswrodGenerator : public CenteredDialog
{
    Q_OBJECT

public:
    explicit PasswrodGenerator(QWidget* parent);
    ~PasswrodGenerator() override;

    // The password kept by Select or Copy Password; empty if neither was pressed.
    QString GetPassword();

private slots:
    void on_horizontalSlider_valueChanged(int value);
    void on_pushGenrate_clicked();
    void on_pushClose_clicked();
    void on_pushSelect_clicked();
    void on_pushButton_clicked();

private:
    void KeepShownPassword();

    std::unique_ptr<Ui::PasswrodGenerator> ui;
    QString password;
};

#endif // PASSWRODGENERATOR_H
