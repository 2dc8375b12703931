#ifndef BOTANADAPTER_H
#define BOTANADAPTER_H

#include <QObject>
#include <QString>

#include <memory>

// Turns text into field ciphertext and back under the data file's key
// hierarchy: a passphrase yields the key-encryption key (KEK), which wraps the
// content key (CEK). Botan stays inside the source file; callers see texts.
class BotanAdapter : public QObject
{
    Q_OBJECT

public:
    static BotanAdapter& GetInstance();

    // Base64 of AES-256-CBC over the UTF-8 bytes; the empty text on failure.
    QString Encrypt(const QString& text);
    // The text of a field ciphertext; the empty text for NULL, empty or invalid input.
    QString Decrypt(const QString text);
    // True when `text` is field ciphertext under the keys in force: it decrypts,
    // and to UTF-8, as everything Encrypt makes does.
    bool Decrypts(const QString& text);

    // Derives KEK and IV from the passphrase and wraps a new random CEK under
    // the KEK; false on failure, and then nothing changed.
    bool InitCEKE();
    // Runs InitCEKE and hands out the new wrapped key and IV as upper-case hex;
    // both empty when InitCEKE failed.
    void GenerateCEKE(QString& wrappedKeyHex, QString& ivHex);
    // Loads a stored wrapped key and IV; false when either is not hex of the
    // right length, and then nothing is loaded.
    bool SetCEKE(const QString& wrappedKeyHex, const QString& ivHex);
    // True when the wrapped key unwraps under the KEK of the current passphrase.
    bool CanUnwrap();
    // Drops the wrapped content key, the IV and the KEK, so that every Encrypt
    // and Decrypt fails until keys are loaded again.
    void ForgetKeys();
    // Re-wraps the CEK under the KEK of Hash(newText) and makes that the
    // passphrase; returns the new wrapped key as upper-case hex, or the empty
    // text on failure, in which case nothing changes.
    QString ChangePassword(QString newText);

    // The passphrase form of a text: its SHA-1 digest decoded as UTF-8.
    static QString Hash(const QString& text);

    // Makes Hash(masterPasswordDigest) the passphrase of the KEK; the empty
    // digest gives the passphrase of a file without a master password.
    void SetPassphraseFromDigest(const QString& masterPasswordDigest);

private:
    BotanAdapter();
    ~BotanAdapter() override;

    struct KeyMaterial;

    QString passphrase_;
    std::unique_ptr<KeyMaterial> keys_;
};

#endif // BOTANADAPTER_H
