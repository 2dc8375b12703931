#ifndef MAKERADDRESSES_H
#define MAKERADDRESSES_H

#include <QString>

// The maker's addresses. No service runs yet, so they lie under the reserved
// .example domain until the product has its own.
const QString VERSION_SERVICE_URL = "http://versions.orvane.example";
const QString PRODUCT_WEB_PAGE = "https://www.orvane.example/kestrova/";
const QString PRODUCT_SOCIAL_PAGE = "https://social.example/kestrova";
const QString SUPPORT_EMAIL = "support@orvane.example";

#endif // MAKERADDRESSES_H
