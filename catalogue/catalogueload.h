#pragma once

#include "catalogue/catalogueentry.h"
#include "catalogue/firmwaresource.h"
#include "catalogue/truststore.h"
#include "outside/httpsget.h"
#include "outside/stopflag.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// Why a folder's or a mirror's catalogue was refused although it could be read: once
// this workstation trusts a signing key, the catalogue must come with a statement that
// a trusted key signed (see signedstatement.h).
enum class SignatureProblem
{
    None,
    Unsigned,         // no statement, or no signature of it
    WrongSigner,      // signed by no trusted key
    Altered,          // the catalogue is not the statement's, or the signature does not verify
    Expired,          // the statement's time is over
    RolledBack,       // its serial is lower than one accepted from that signer before
    TrustListRefused, // the user's trust list is a link or another user's: nothing can be checked
};

// The catalogue as it was read: the entries, and the file's bytes as they came (the
// fetch command keeps them byte for byte).
struct LoadedCatalogue
{
    bool loaded = false;
    QByteArray body;
    QVector<CatalogueEntry> entries;
    // Why it was not loaded: for the log, and, when a signature is the reason, a
    // sentence that names it, for the window's box and the command line.
    QString failure;
    SignatureProblem signatureProblem = SignatureProblem::None;
    // Who vouches for it: the name of the trusted key that signed it, "maker's server",
    // or, while no key is trusted, "unsigned folder" or "unsigned mirror".
    QString signer;
};

// What a catalogue request may take: the images' idle limit and minimum rate, no more
// than a catalogue could be, and a minute in all.
DownloadLimits catalogueLimits(const DownloadLimits &imageLimits = {});

// Reads the catalogue file from the source: over https within the limits, or from
// the folder (a regular file only). A body that holds no JSON object with at least one
// member is no catalogue. A folder or mirror is then checked against the trust list:
// its statement and signature come from beside the catalogue, by the same road and
// within a few KiB; an accepted serial is kept once the catalogue is loaded. The
// maker's server, reached over https at the built-in address, needs no statement.
//
// Blocks; meant for a background thread. Ends early on stop.
LoadedCatalogue loadCatalogue(const FirmwareSource &source, const DownloadLimits &limits, const StopFlag &stop,
                              const TrustStore &trust = TrustStore());
