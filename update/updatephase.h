#pragma once

#include <QtGlobal>

#include <functional>

// The steps of one update that can take long enough for the user to want to see them.
enum class UpdatePhase
{
    Downloading,
    Verifying,
    Writing,
    VerifyingCard,
    Pushing,
};

// Work done in a phase so far, and its whole size (-1 when unknown).
using PhaseProgress = std::function<void(UpdatePhase phase, qint64 done, qint64 total)>;
