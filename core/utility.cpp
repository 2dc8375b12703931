#include "core/utility.h"

#include "core/constants.h"
#include "core/keyconstants.h"

#include <QCryptographicHash>
#include <QSettings>

#include <cstring>
#include <string>

Utility::Utility()
    : settings(new QSettings(ORGANIZATION_NAME, APPLICATION_NAME))
{
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
    const QString marked =
        text + (saved ? KeyConstants::MARKER_SAVED_SUFFIX : KeyConstants::MARKER_ASK_SUFFIX);
    // The marker covers the bytes up to the first zero byte, as stored markers do.
    const std::string bytes = marked.toStdString();
    const QByteArray data(bytes.c_str(), static_cast<int>(std::strlen(bytes.c_str())));
    return QString(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}
