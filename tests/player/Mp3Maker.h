#pragma once

#include <QString>

namespace testplayer {

// The encoder the test recordings are made with, or empty when it is not installed.
QString LameExecutable();

// Writes a mono 22.05 kHz sine tone of the given length as an MP3 file; false on failure.
bool WriteToneMp3(const QString& mp3Path, int milliseconds, double frequency);

// Writes bytes that are no media file at all (reproducible pseudo-random data).
bool WriteNoise(const QString& path, int bytes);

// Overwrites the middle third of a file with pseudo-random bytes.
bool Damage(const QString& path);

} // namespace testplayer
