#ifndef LOCKERSTORE_H
#define LOCKERSTORE_H

#include <QString>

// What a locker's KEY marker says about opening it.
enum class LockerMarker
{
    AskPassword,   // a login is needed
    PasswordSaved, // opens without a login
    Invalid,       // fits neither marker of the name: the locker stays closed
};

// A locker row as the locker editor shows it, secrets in clear.
struct LockerFields
{
    QString name;
    QString password;
    QString secretQuestion;
    QString secretAnswer;
    QString notes;
    bool useMasterPassword = false;
    bool savePassword = false; // "Save password for Login": the KEY marker's state
};

// What "Forgot your password?" needs of a locker.
struct LockerRecovery
{
    QString password;
    QString question;
    QString answer;
    // False when a stored answer could not be decrypted: no typed text matches it then.
    bool answerReadable = true;

    bool AnswerMatches(const QString& typed) const { return answerReadable && typed == answer; }
};

enum class LoginCheck
{
    Granted,
    Refused,
    NoLocker,
};

// Locker rows of tblLocker on the shared connection. Every value is bound;
// failures are logged and reported as return values.
namespace LockerStore {

LockerMarker ReadMarker(const QString& key, const QString& name);

// Reads and decrypts the locker's row; false when there is none.
bool ReadLocker(const QString& id, LockerFields* fields);
// Inserts a locker; false when a secret could not be encrypted (nothing is
// written then) or the insert failed, for instance on a name in use, with why
// in `cause` where it is asked for.
bool AddLocker(const LockerFields& fields, int type, QString* cause = nullptr);
// Updates everything but the type; false as for AddLocker, and when no row has that ID.
bool UpdateLocker(const QString& id, const LockerFields& fields, QString* cause = nullptr);
// Deletes the locker's entries and the locker in one transaction: both go or neither.
bool DeleteLocker(const QString& id, int type);

bool UsesMasterPassword(const QString& id);
// Checks a typed login against the locker's own password, or the master
// password when the locker uses it.
LoginCheck CheckLogin(const QString& id, const QString& typed);
// Rewrites the locker's KEY marker to its "password saved" form.
bool SavePasswordForLogin(const QString& id);
bool ReadRecovery(const QString& id, LockerRecovery* recovery);

// Compares with the digest in the first tblSettings row; never true while none is set.
bool CheckMasterPassword(const QString& typed);

} // namespace LockerStore

#endif // LOCKERSTORE_H
