#pragma once

#include "catalogue/assetinformation.h"
#include "detection/adbreading.h"

#include <QHash>
#include <QSet>

// Decides, in the GUI thread, which records the adb worker is asked about and what an
// answer does to a record's route.
//
// A record has at most one request outstanding, so a slow `adb` cannot pile requests
// up in the worker and two answers for one record can never overlap. A record the
// catalogue marks as an adb camera falls back to the storage route when adb finds
// nothing; adb is still asked about it, less often, and it goes back to the adb route
// as soon as adb answers usably, so a camera plugged in later is found.
class AdbRouting
{
public:
    enum class AnswerUse {
        Attach,   // take the reading: the camera answers over adb
        FallBack, // take the reading, then look for the record on storage volumes
        Ignore,   // leave the record alone: it is served by the storage route
    };

    // How many poll passes a fell-back record waits between two adb requests.
    static constexpr int fallBackRetryPasses = 3;

    void beginPass();
    // True when a request for the record is to be sent now; it then counts as outstanding.
    bool takeRequest(const ASSET_INFORMATION *record);
    // The answer to the record's outstanding request; sets the record's route.
    AnswerUse takeAnswer(ASSET_INFORMATION *record, const AdbReading &reading);

private:
    int pass = 0;
    QSet<const ASSET_INFORMATION *> outstanding;
    // Fell-back records, with the pass in which adb was last asked about each.
    QHash<const ASSET_INFORMATION *, int> fellBack;
};
