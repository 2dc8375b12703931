#include "core/utility.h"

#include "core/constants.h"
#include "core/keyconstants.h"

#include <QCryptographicHash>
#include <QSettings>

Utility::Utility() : settings(new QSettings(ORGANIZATION_NAME, APPLICATION_NAME)) {}

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
