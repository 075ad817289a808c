#pragma once

#include "cipher/SoundFormat.h"

#include <QString>

// Number of the staging file in temp/ that holds the inflated, still enciphered data; the
// deciphered recordings take turns in the play files numbered below it.
inline constexpr int kStagingSlot = 6;

// Inflates a stored sound file (see SoundFormat.h) into stagingPath, replacing it. A length that is
// negative or far beyond what the stream can inflate to is refused before anything is
// allocated. Errors raise EInflateError or EFileError.
void UnpackSoundFile(const QString& storedPath, const QString& stagingPath);
