#ifndef UTILITY_H
#define UTILITY_H

#include <QString>
#include <QVector>

class QSettings;

// The process-wide object: the settings store and the lockers unlocked for this run.
class Utility
{
public:
    static Utility& GetInstance();

    static QString GetVersion();
    static QString GetProductCode();
    // The locker key marker: MD5 of the name with the suffix of its login state.
    static QString GetHash(const QString& text, bool saved);
    // Lower-case hex MD5 of the UTF-8 bytes up to the first zero byte: the
    // form of key markers and of the master-password digest.
    static QString Md5Hex(const QString& text);

    QVector<QString> sessionLockerIds;
    QSettings* settings = nullptr;

private:
    Utility();
    ~Utility();
    Q_DISABLE_COPY(Utility)
};

#endif // UTILITY_H
