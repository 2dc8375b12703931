#ifndef CONSTANTS_H
#define CONSTANTS_H

#include <QString>

const QString WALLET_DATA_FOLDER_PATH = "WALLET_DATA_FOLDER_PATH";
const QString ACTIVE_WALLET_DB_7_5_0 = "ACTIVE_WALLET_DB_7_5_0";
const QString ORGANIZATION_NAME = "Orvane Partners";
const QString APPLICATION_NAME = "Kestrova";
const QString CURRENT_VERSION = "7.5.0";
const QString PREVIOUS_VERSION_7_0_0 = "7.0.0";
const QString PREVIOUS_VERSION_6_0_0 = "6.0.0";
const QString PREVIOUS_VERSION_5_0_0 = "5.0.0";
const QString PREVIOUS_VERSION_4_0_0 = "4.0.0";
const QString PRODUCT_CODE = "RK0117";
// The screen size the program is built for; the entry lists show their Back
// button only in the "NORMAL" and "SMALL" modes.
const QString g_screenMode = "BIG";

#endif // CONSTANTS_H
