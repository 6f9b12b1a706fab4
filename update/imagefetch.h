#pragma once

#include "catalogue/firmwaresource.h"
#include "outside/stopflag.h"
#include "outside/httpsget.h"
#include "update/imagefeed.h"
#include "update/updateresult.h"

#include <QByteArray>
#include <QString>

// What one fetch is to bring into a feed, and from where.
struct FetchOrder
{
    QString checksum;    // the catalogue's
    QString cachedImage; // a copy this run verified before: tried first, and hashed again
    ImageOrigin origin;  // the server's address, or the source folder's file
    QString partialPath; // where a download goes, and is continued from; empty: memory only
    QString keptPath;    // where a verified download is kept for the run; empty: not kept
    DownloadLimits limits;
};

struct FetchResult
{
    enum class End { Verified, Failed, ChecksumMismatch, Stopped };
    End end = End::Failed;
    FailureCause cause = FailureCause::None;
    QString logLine;        // what the debug log says about a failure
    QByteArray digest;      // of what came
    QString keptImage;      // the verified copy the cache now holds, if any
    bool cachedImageRotten = false;
};

// Brings the image into the feed and ends it: verified when the bytes hash to the
// catalogue's checksum. A kept copy is tried first; when it has rotted, the feed
// starts over from the origin. A download continues a broken-off one where it stopped
// (a range request); when the result does not hash right, it is fetched whole once
// more. Hashing happens as the bytes pass, in a thread beside the receiving one.
//
// Blocks; meant for a background thread. Ends early on stop, or when every reader of
// the feed has left.
FetchResult fetchImage(const FetchOrder &order, ImageFeed &feed, const StopFlag &stop);
