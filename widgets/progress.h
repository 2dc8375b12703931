#ifndef PROGRESS_H
#define PROGRESS_H

#include <QDialog>

// A busy window shown without a modal loop while a long task runs.
class Progress : public QDialog
{
    Q_OBJECT

public:
    explicit Progress(QWidget* parent);
};

#endif // PROGRESS_H
