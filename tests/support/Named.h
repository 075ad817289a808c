#pragma once

#include <QApplication>
#include <QString>
#include <QToolButton>
#include <QWidget>

// What a window made, found by the control name it gave it (its objectName); dynamic_cast, so
// classes without their own meta-object are found too.
template <typename T> T* Named(const QObject* root, const QString& name) {
    for (QObject* object : root->findChildren<QObject*>(name)) {
        if (T* found = dynamic_cast<T*>(object)) {
            return found;
        }
    }
    return nullptr;
}

// A top-level window of ours by its control name (windows owned without a Qt parent).
template <typename T> T* TopLevelNamed(const QString& name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name) {
            if (T* found = dynamic_cast<T*>(widget)) {
                return found;
            }
        }
    }
    return nullptr;
}

// A spinner's arrows, found by their control names inside the spinner or a box holding one.
inline QToolButton* UpArrow(const QObject* spinner) {
    return Named<QToolButton>(spinner, QStringLiteral("up"));
}
inline QToolButton* DownArrow(const QObject* spinner) {
    return Named<QToolButton>(spinner, QStringLiteral("down"));
}
