#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// The dialogs' text font: "宋体" at 15 pixels, with the Song-style faces of this system
// standing in where it is missing.
QFont DialogFont();

// Maroon, the colour of the review page's comparison texts.
inline const QColor kMaroon{0x80, 0x00, 0x00};

// Gives one colour of a widget's palette (its text, by default) another value.
void SetTextColor(QWidget* widget, const QColor& color,
                  QPalette::ColorRole role = QPalette::WindowText);

// Places a top-level window in the middle of the screen it is on.
void CenterOnScreen(QWidget* window);
