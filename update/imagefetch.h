#pragma once

#include "catalogue/firmwaresource.h"
#include "outside/httpsget.h"
#include "outside/stopflag.h"
#include "update/imagefeed.h"

#include <QString>

#include <memory>

class CacheDownload;

// What one fetch is to bring into a feed, and from where.
struct FetchOrder
{
    QString checksum;    // the catalogue's
    QString cachedImage; // a copy this run verified before: tried first, and hashed again
    ImageOrigin origin;  // the server's address, or the source folder's file
    // Where a download goes, and is continued from; null: through memory only.
    std::shared_ptr<CacheDownload> download;
    DownloadLimits limits;
};

struct FetchEnd
{
    FeedEnd feed;           // as the feed's readers are told it
    QString keptImage;      // the verified copy the cache holds now, if any
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
FetchEnd fetchImage(const FetchOrder &order, ImageFeed &feed, const StopFlag &stop);
