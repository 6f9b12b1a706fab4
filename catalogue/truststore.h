#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A public key this workstation takes folders and mirrors from.
struct TrustedKey
{
    QString name;
    QByteArray publicPem;
    QByteArray fingerprint;
    bool systemWide = false;
    QString file;
};

// The workstation's trust list: the user's own folder of public keys (made by
// `vek-updater-cli keys trust`, for this user only, and refused when it is a link or
// another user's) and a system-wide folder that a package may fill; each key a file
// NAME.pub. Beside the user's keys, the highest serial accepted from each key.
//
// It holds folder names only: a copy may cross threads, and every call reads the disk.
class TrustStore
{
public:
    // The user's: trusted-keys in the program's configuration folder
    // (~/.config/vek-updater/trusted-keys, %LOCALAPPDATA%\vek-updater\trusted-keys).
    static QString defaultUserFolder();
    // /etc/vek-updater/trusted-keys; on Windows under %ProgramData%.
    static QString defaultSystemFolder();

    explicit TrustStore(QString userFolder = defaultUserFolder(), QString systemFolder = defaultSystemFolder());

    struct Keys
    {
        QVector<TrustedKey> keys;
        QStringList unreadable; // key files that hold no Ed25519 public key, with why
        QString refusal;        // why the user's folder cannot be trusted, when it cannot

        // Once a key file is in either folder, usable or not, folders and mirrors must
        // be signed; so they must when the user's folder cannot be looked into.
        bool signingRequired() const { return !keys.isEmpty() || !unreadable.isEmpty() || !refusal.isEmpty(); }
    };
    Keys keys() const;

    // Adds the public key to the user's folder under the name (a plain signer name); a
    // key already trusted, or a name taken, is refused with why.
    bool trust(const QByteArray &publicPem, const QString &name, QString *why) const;

    // The highest serial accepted from the key with this fingerprint; 0 when none was.
    qint64 acceptedSerial(const QByteArray &fingerprint) const;
    // Keeps serial as the highest accepted from the key, unless a higher one is kept:
    // the file is replaced in one step, under a lock against another program's update.
    bool recordAccepted(const QByteArray &fingerprint, qint64 serial, QString *why) const;

    const QString &userFolder() const { return user; }
    const QString &systemFolder() const { return system; }

private:
    QString user;
    QString system;
};
