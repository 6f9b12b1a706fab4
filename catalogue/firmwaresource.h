#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The catalogue's file name, the same on the maker's server, on a mirror and in a folder.
extern const QString catalogueFileName;

// Where one image is read from: an https address, or a file on this workstation.
struct ImageOrigin
{
    QUrl url;
    QString filePath;

    bool isFile() const { return !filePath.isEmpty(); }
};

// Where the catalogue and the firmware images come from: the maker's firmware folder
// on its server (built in), a mirror of that folder (an https address given in its
// place, holding what the maker's folder holds at the same places), or a folder on this
// workstation or a stick that `vek-updater-cli fetch` filled, holding each image under
// the file name of its link.
class FirmwareSource
{
public:
    // The maker's server, at the address built into the program.
    FirmwareSource();

    // From a --source value: an https address or a folder. nullopt, with why, for
    // anything else (an http address, a folder that is not there).
    static std::optional<FirmwareSource> fromArgument(const QString &value, QString *why);

    bool isFolder() const { return folder; }
    bool isBuiltIn() const;
    // The https address or the folder, as messages quote it.
    const QString &address() const { return base; }
    QString catalogueLocation() const;

    // Where the image a catalogue link names comes from: the link itself, which must be
    // https (on a mirror, at the mirror's address when it lies in the maker's folder);
    // from a folder, the file name of the link inside it, which must be a plain name.
    // nullopt, with why, when the link cannot be used.
    std::optional<ImageOrigin> imageFor(const QString &link, QString *refusal) const;

private:
    FirmwareSource(QString base, bool folder);

    QString base;
    bool folder = false;
};
