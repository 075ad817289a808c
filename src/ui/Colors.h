#pragma once

#include <QColor>

// Colours are stored as 32-bit values with red in the low byte (0x00BBGGRR). A value with
// the top bit set names a system colour by its index in the low byte; this desktop's
// palette stands in for the system colours.
QColor ColorFromStored(int stored);

// The stored values of the system colours the windows use.
inline constexpr int kWindowTextColor = static_cast<int>(0x80000008u);
inline constexpr int kTealColor = 0x00808000;
