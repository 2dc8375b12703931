#include "widgets/progress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

Progress::Progress(QWidget* parent)
    : QDialog(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("Please wait..."));
    auto* bar = new QProgressBar;
    bar->setRange(0, 0);
    bar->setValue(0);
    layout->addWidget(label);
    layout->addWidget(bar);
    setStyleSheet("QProgressBar { border-style: solid; border: 2px solid gray; border-radius: 8px; }"
                  "QProgressBar::chunk { min-height: 50px; max-height: 100px; min-width: 400px;"
                  " max-width: 600px; font-size: 15px; }");
}
