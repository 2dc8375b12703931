#include "core/utility.h"

#include "core/constants.h"
#include "core/keyconstants.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSettings>
#include <QThread>

namespace {

// A run killed while it wrote its settings may leave an empty lock file, which
// Qt counts as held for 30 s: the next setting stored would freeze the window
// that long. Qt writes the holder into a lock right after making it, so a lock
// still empty a second after it was made has none. One that names a holder is
// Qt's to judge: a live holder's lock must stay.
void ClearAbandonedLock(const QSettings& settings)
{
    const QString path = settings.fileName() + ".lock";
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const QFileInfo lock(path);
        if (!lock.exists() || lock.size() != 0)
            return;
        // A second from the lock's making, or from now if its time lies ahead of this clock.
        if (lock.lastModified().msecsTo(QDateTime::currentDateTime()) >= 1000 || waited.hasExpired(1000)) {
            QFile::remove(path);
            return;
        }
        QThread::msleep(50);
    }
}

} // namespace

Utility::Utility() : settings(new QSettings(ORGANIZATION_NAME, APPLICATION_NAME))
{
    ClearAbandonedLock(*settings);
}

Utility::~Utility()
{
    delete settings;
}

Utility& Utility::GetInstance()
{
    static Utility instance;
    return instance;
}

QString Utility::GetVersion()
{
    return CURRENT_VERSION;
}

QString Utility::GetProductCode()
{
    return PRODUCT_CODE;
}

QString Utility::GetHash(const QString& text, bool saved)
{
    return Md5Hex(text + (saved ? KeyConstants::MARKER_SAVED_SUFFIX : KeyConstants::MARKER_ASK_SUFFIX));
}

QString Utility::Md5Hex(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return QString(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}
