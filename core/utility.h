#ifndef UTILITY_H
#define UTILITY_H

#include <QString>
#include <QVector>

class QSettings;
class QWidget;

// The process-wide object: the settings store, the lockers unlocked for this
// run and the main window.
class Utility
{
public:
    static Utility& GetInstance();

    static QString GetVersion();
    static QString GetProductCode();
    // The locker key marker: MD5 of the name with the suffix of its login state.
    static QString GetHash(const QString& text, bool saved);

    QVector<QString> sessionLockerIds;
    QWidget* mainWindow = nullptr;
    QSettings* settings = nullptr;

private:
    Utility();
    ~Utility();
    Q_DISABLE_COPY(Utility)
};

#endif // UTILITY_H
