#pragma once

// What an install attempt came to; the numbers are what the update command and
// support staff know them by.
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
