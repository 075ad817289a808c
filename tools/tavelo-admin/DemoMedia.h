#pragma once

#include <QString>

// Copies the recordings (mp3/) and pictures (jpg/) that came with the demo books in demoDir
// into the same folders of dataDir. A file already there is kept: it may be the learner's.
// *copied counts the files copied.
bool CopyDemoMedia(const QString& demoDir, const QString& dataDir, int* copied, QString* error);
