#pragma once

// The tool's output streams: one of each for every command, so their output keeps its order.
#include <QTextStream>
#include <cstdio>

inline QTextStream& Out() {
    static QTextStream s(stdout);
    return s;
}

inline QTextStream& Err() {
    static QTextStream s(stderr);
    return s;
}
