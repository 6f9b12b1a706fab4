#pragma once

#include <QString>

// The short code the camera uses in its folder names: a final "000" becomes "K",
// otherwise a final "00" is dropped (TZ7000 -> TZ7K, TZ4100 -> TZ41).
QString shortModelCode(const QString &modelName);

// A model name ends up verbatim in paths on the camera's card and in commands that the
// camera's shell runs, so only letters, digits, '-' and '_' are accepted.
bool isPlainModelName(const QString &name);
