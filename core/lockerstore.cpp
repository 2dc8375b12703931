#include "core/lockerstore.h"

#include "core/DBManager.h"
#include "core/botanadapter.h"
#include "core/entrystore.h"
#include "core/keyrowstore.h"
#include "core/utility.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QSqlDatabase& Database()
{
    return CDBManager::GetInstance().GetDataBase();
}

// The stored ciphertext in clear. `readable` turns false when a stored value
// does not decrypt, so that its empty result never passes for the empty text.
QString DecryptColumn(const QVariant& column, bool* readable = nullptr)
{
    const QString stored = column.toString();
    const QString plain = BotanAdapter::GetInstance().Decrypt(stored);
    if (readable)
        *readable = stored.isEmpty() || !plain.isEmpty();
    return plain;
}

// Binds the ciphertext of `text`, or NULL for an empty text when `nullWhenEmpty`.
// False when encryption failed: a real input never encrypts to the empty text.
bool BindSecret(QSqlQuery& query, const QString& placeholder, const QString& text, bool nullWhenEmpty)
{
    if (nullWhenEmpty && text.isEmpty()) {
        query.bindValue(placeholder, QVariant(QVariant::String));
        return true;
    }
    const QString cipher = BotanAdapter::GetInstance().Encrypt(text);
    if (cipher.isEmpty())
        return false;
    query.bindValue(placeholder, cipher);
    return true;
}

bool BindLocker(QSqlQuery& query, const LockerFields& fields)
{
    query.bindValue(":name", fields.name);
    if (!BindSecret(query, ":password", fields.password, true) ||
        !BindSecret(query, ":secret_question", fields.secretQuestion, true) ||
        !BindSecret(query, ":secret_answer", fields.secretAnswer, true))
        return false;
    query.bindValue(":key", Utility::GetHash(fields.name, fields.savePassword));
    if (!BindSecret(query, ":notes", fields.notes, false))
        return false;
    query.bindValue(":usemp", fields.useMasterPassword ? 1 : 0);
    return true;
}

// Binds the locker's values and runs the statement; false, with why, when either fails.
bool SaveLocker(QSqlQuery& query, const LockerFields& fields, QString* cause)
{
    return BindLocker(query, fields) ? ExecPrepared(query, cause)
                                     : Failed(cause, CDBManager::GetInstance().WhyNotEncrypted());
}

} // namespace

namespace LockerStore {

LockerMarker ReadMarker(const QString& key, const QString& name)
{
    if (key == Utility::GetHash(name, false))
        return LockerMarker::AskPassword;
    if (key == Utility::GetHash(name, true))
        return LockerMarker::PasswordSaved;
    return LockerMarker::Invalid;
}

bool ReadLocker(const QString& id, LockerFields* fields)
{
    QSqlQuery query(Database());
    query.prepare("SELECT NAME, PASSWORD, SECRET_QUESTION, SECRET_ANSWER, KEY, NOTES, USE_MP "
                  "from tblLocker WHERE ID = :id");
    query.bindValue(":id", id);
    if (!query.exec() || !query.next())
        return false;
    fields->name = query.value(0).toString();
    fields->password = DecryptColumn(query.value(1));
    fields->secretQuestion = DecryptColumn(query.value(2));
    fields->secretAnswer = DecryptColumn(query.value(3));
    fields->savePassword = ReadMarker(query.value(4).toString(), fields->name) == LockerMarker::PasswordSaved;
    fields->notes = DecryptColumn(query.value(5));
    fields->useMasterPassword = query.value(6).toBool();
    return true;
}

bool AddLocker(const LockerFields& fields, int type, QString* cause)
{
    QSqlQuery query(Database());
    query.prepare(" INSERT INTO tbllocker (NAME, PASSWORD, SECRET_QUESTION, SECRET_ANSWER, TYPE, KEY, "
                  "NOTES, USE_MP)  VALUES (:name , :password , :secret_question, :secret_answer, :type, "
                  ":key, :notes, :usemp)");
    query.bindValue(":type", type);
    return SaveLocker(query, fields, cause);
}

bool UpdateLocker(const QString& id, const LockerFields& fields, QString* cause)
{
    QSqlQuery query(Database());
    query.prepare("UPDATE tbllocker SET NAME =:name, PASSWORD = :password, SECRET_QUESTION = "
                  ":secret_question, SECRET_ANSWER = :secret_answer , KEY = :key, NOTES = :notes, "
                  "USE_MP = :usemp WHERE ID = :id");
    query.bindValue(":id", id);
    if (!SaveLocker(query, fields, cause))
        return false;
    return query.numRowsAffected() == 1 ||
           Failed(cause, QCoreApplication::translate("LockerStore", "The locker is no longer there."));
}

bool DeleteLocker(const QString& id, int type)
{
    QSqlDatabase& database = Database();
    if (!database.transaction()) {
        LogSqlError(database.lastError());
        return false;
    }
    QSqlQuery query(database);
    bool deleted = true;
    // Entries first: they reference the locker and the connection enforces foreign keys.
    const QString entryTable = EntryStore::Table(type);
    if (!entryTable.isEmpty()) {
        query.prepare("DELETE FROM " + entryTable + " WHERE locker_id = :id");
        query.bindValue(":id", id);
        deleted = ExecPrepared(query);
    }
    if (deleted) {
        query.prepare("DELETE FROM tbllocker WHERE ID = :id");
        query.bindValue(":id", id);
        deleted = ExecPrepared(query);
    }
    if (!deleted) {
        database.rollback();
        return false;
    }
    if (!database.commit()) {
        LogSqlError(database.lastError());
        database.rollback();
        return false;
    }
    return true;
}

bool UsesMasterPassword(const QString& id)
{
    QSqlQuery query(Database());
    query.prepare("SELECT USE_MP from tblLocker WHERE ID = :id");
    query.bindValue(":id", id);
    return query.exec() && query.next() && query.value(0).toBool();
}

LoginCheck CheckLogin(const QString& id, const QString& typed)
{
    QSqlQuery query(Database());
    query.prepare("SELECT PASSWORD, USE_MP from tblLocker WHERE ID = :id");
    query.bindValue(":id", id);
    qDebug() << query.lastQuery();
    if (!query.exec() || !query.next())
        return LoginCheck::NoLocker;

    bool granted = false;
    if (query.value(1).toBool()) {
        granted = CheckMasterPassword(typed);
    } else {
        bool readable = false;
        const QString password = DecryptColumn(query.value(0), &readable);
        granted = readable && typed == password;
    }
    return granted ? LoginCheck::Granted : LoginCheck::Refused;
}

bool SavePasswordForLogin(const QString& id)
{
    QSqlQuery query(Database());
    query.prepare("SELECT NAME from tblLocker WHERE ID = :id");
    query.bindValue(":id", id);
    if (!query.exec() || !query.next())
        return false;
    const QString marker = Utility::GetHash(query.value(0).toString(), true);

    QSqlQuery update(Database());
    update.prepare("UPDATE tblLocker SET key = :key WHERE ID = :id");
    update.bindValue(":key", marker);
    update.bindValue(":id", id);
    return ExecPrepared(update);
}

bool ReadRecovery(const QString& id, LockerRecovery* recovery)
{
    QSqlQuery query(Database());
    query.prepare("SELECT PASSWORD, SECRET_QUESTION, SECRET_ANSWER from tblLocker WHERE ID = :id");
    query.bindValue(":id", id);
    if (!query.exec() || !query.next())
        return false;
    recovery->password = DecryptColumn(query.value(0));
    recovery->question = DecryptColumn(query.value(1));
    recovery->answer = DecryptColumn(query.value(2), &recovery->answerReadable);
    return true;
}

bool CheckMasterPassword(const QString& typed)
{
    const QString stored = KeyRowStore::MasterPasswordDigest();
    return !stored.isEmpty() && stored == Utility::Md5Hex(typed);
}

} // namespace LockerStore
