#pragma once

#include "outside/stopflag.h"
#include "update/imagedestination.h"
#include "update/imagefeed.h"
#include "update/updateoutcome.h"
#include "update/updateprogress.h"

// Hands every piece of the image the reader brings to the destination, from its first
// byte to its verified end, and has the destination make it the camera's: the whole of
// one update's work on the camera's side, with progress as it goes. The outcome says
// how it ended; when the image did not come, the feed's own end says why.
//
// Blocks on the camera; meant for a background thread that may be given up on.
UpdateOutcome writeImage(ImageDestination &destination, ImageFeed::Reader &reader, const QByteArray &digest,
                         const StopFlag &stop, const ProgressReport &report);
