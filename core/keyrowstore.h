#ifndef KEYROWSTORE_H
#define KEYROWSTORE_H

#include <QString>
#include <QVariant>

#include <functional>

class QSqlError;

// The key row: the first row of tblSettings, which the program reads and writes.
struct KeyRow
{
    QVariant id;        // invalid while the file has no key row
    QString digest;     // the master-password digest; empty while none is set
    QString wrappedKey; // the wrapped content key, upper-case hex
    QString iv;         // upper-case hex
};

// The key row of the data file on the shared connection. Every value is bound;
// failures are logged and reported as return values.
namespace KeyRowStore {

// The first row of tblSettings; an empty KeyRow when there is none.
KeyRow Read();
// The master-password digest the file holds; empty while none is set.
QString MasterPasswordDigest();
// Stores new keys into the row `id`, or into a new row when `id` is invalid;
// `error` tells why that failed.
bool StoreKeys(const QVariant& id, const QString& wrappedKey, const QString& iv, QSqlError* error);
// Gives `take` up to `limit` values of the secret columns (all of them when it
// is negative), one at a time, lockers' passwords first, empty values passed
// over; false when the tables could not be read.
bool ForEachSecret(int limit, const std::function<void(const QString&)>& take);
// Re-wraps the content key under `newDigest` and stores the digest and the
// wrapped key together. False when nothing was stored, with why in `cause`
// where it is asked for; the keys in memory then match the key row that the
// file still holds.
bool ChangeMasterPassword(const QString& newDigest, QString* cause = nullptr);

} // namespace KeyRowStore

#endif // KEYROWSTORE_H
