#pragma once

// What an install attempt came to. The numbers are fixed: the general error box
// quotes them.
namespace InstallOutcome {
enum : int {
    Installed = 0,
    PushNotConfirmed = -1,
    NoLink = -2,
    DownloadFailed = -3,
    NotWritable = -4,
    ChecksumMismatch = -5,
};
}
