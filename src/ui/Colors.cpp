#include "ui/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QPalette::ColorRole SystemColorRole(int index) {
    switch (index) {
    case 4: // menu
        return QPalette::Window;
    case 5: // window background
        return QPalette::Base;
    case 13: // highlight
        return QPalette::Highlight;
    case 14: // highlight text
        return QPalette::HighlightedText;
    case 15: // button face
        return QPalette::Button;
    case 16: // button shadow
        return QPalette::Dark;
    case 18: // button text
        return QPalette::ButtonText;
    case 20: // 3D highlight
        return QPalette::Light;
    case 21: // 3D dark shadow
        return QPalette::Shadow;
    case 22: // 3D light
        return QPalette::Midlight;
    case 23: // tooltip text
        return QPalette::ToolTipText;
    case 24: // tooltip background
        return QPalette::ToolTipBase;
    default: // window text (8), and every index this desktop has no match for
        return QPalette::WindowText;
    }
}

} // namespace

QColor ColorFromStored(int stored) {
    const auto value = static_cast<unsigned>(stored);
    if ((value & 0x80000000u) != 0) {
        return QGuiApplication::palette().color(QPalette::Active,
                                                SystemColorRole(static_cast<int>(value & 0xffu)));
    }
    return QColor(static_cast<int>(value & 0xffu), static_cast<int>((value >> 8) & 0xffu),
                  static_cast<int>((value >> 16) & 0xffu));
}
