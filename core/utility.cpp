#include "core/utility.h"

#include "core/constants.h"
#include "core/keyconstants.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

namespace {

// A run killed while it wrote its settings may leave an empty lock file, which
// Qt counts as held for 30 s: the next setting stored would freeze the window
// that long. A lock that names no holder seconds later is no lock.
void ClearAbandonedLock(const QSettings& settings)
{
    const QString path = settings.fileName() + ".lock";
    if (!QFileInfo::exists(path))
        return;
    QLockFile lock(path);
    lock.setStaleLockTime(5000);
    if (lock.tryLock(0))
        lock.unlock();
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
