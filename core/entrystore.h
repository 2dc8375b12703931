#ifndef ENTRYSTORE_H
#define ENTRYSTORE_H

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class QSqlQuery;

// One entry's stored columns by their upper-case names, secrets in clear.
using EntryFields = QHash<QString, QString>;

// Entry rows of the three kinds on the shared connection, by locker type: web
// IDs (1, tblId), bank cards (2, tblId2) and secure notes (3, tblId3). Secret
// columns are encrypted on the way in and decrypted on the way out; every value
// is bound, and failures are logged and reported as return values.
namespace EntryStore {

// The kind's table, or the empty text for an unknown type.
QString Table(int type);
// The kind's columns that hold field ciphertext, in table order.
QStringList SecretColumns(int type);

// The executed query of a locker's list: ID, name and the columns that the
// list fills itself; only names that contain `filter` when it is not empty.
QSqlQuery List(int type, const QString& lockerId, const QString& filter);
// What a click in the list can copy, in clear: a web ID's URL, user name and
// password; a card's number, PIN and code; a note's text. Empty when the row is gone.
QStringList ReadClickValues(int type, const QString& id);

// Reads and decrypts an entry; false when there is none.
bool Read(int type, const QString& id, EntryFields* fields);
// Every entry of a locker, oldest first; each row holds the columns from NAME
// on in table order, secrets in clear. False when the statement failed.
bool ReadAll(int type, const QString& lockerId, QVector<QStringList>* rows);
// Whether the locker already holds an entry of that name.
bool NameTaken(int type, const QString& lockerId, const QString& name);
// False when a secret could not be encrypted (nothing is written then) or the
// statement failed, with why in `cause` where it is asked for. A note's time
// stamp is the time of the save.
bool Add(int type, const QString& lockerId, const EntryFields& fields, QString* cause = nullptr);
// False as for Add, and when no row has that ID.
bool Update(int type, const QString& id, const QString& lockerId, const EntryFields& fields,
            QString* cause = nullptr);
bool Delete(int type, const QString& id);

} // namespace EntryStore

#endif // ENTRYSTORE_H
