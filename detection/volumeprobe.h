#pragma once

#include "detection/mounttable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A model's device folder found on a volume, with its version file's first bytes.
struct CardFolder
{
    QString modelCode;
    QByteArray versionFile;
};

// What one mounted volume shows of cameras.
struct ProbedVolume
{
    QString rootPath;
    QString identity;
    bool mayHoldCamera = false; // valid, ready and not empty
    bool writable = false;      // not write-protected: its cameras can take an update
    QVector<CardFolder> folders;
    // The USB port its device is plugged into (see usbPortPath); looked up only for a
    // volume that holds a model's folder.
    QString slot;
};

// Looks at one volume: whether it can take an update, and which of the models'
// device folders it holds. Blocks on the volume; meant for a thread that may be given up.
ProbedVolume probeVolume(const MountPoint &mount, const QStringList &modelCodes);
