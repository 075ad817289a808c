#pragma once

#include "model/Word.h"

#include <QString>

// The key of the stored recordings (AES-128).
inline constexpr char kAudioKey[] = "5309172846620194";

// Number of the staging file in temp/ that holds the inflated, still enciphered data.
inline constexpr int kStagingSlot = 6;

// Inflates a stored sound file (a 4-byte little-endian length, then a zlib stream that
// inflates to exactly that many bytes) into stagingPath, replacing it. A length that is
// negative or far beyond what the stream can inflate to is refused before anything is
// allocated. Errors raise EInflateError or EFileError.
void UnpackSoundFile(const QString& storedPath, const QString& stagingPath);
