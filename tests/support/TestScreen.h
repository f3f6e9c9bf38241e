#pragma once
// The screen the window cases are written for: one 1024x768 screen at scale 1, on the offscreen
// platform or, for the window-manager cases, on their own X server of that size. A test main
// replaces whatever platform or scaling the environment names: QT_QPA_PLATFORM=offscreen alone
// gives an 800x800 screen, xcb the desktop's, and QT_SCALE_FACTOR moves every window.
#include <QByteArray>
#include <QtGlobal>

namespace twtest
{

inline QByteArray offscreenPlatform()
{
    return QByteArray("offscreen:configfile=") + TW_OFFSCREEN_CONFIG;
}

// Before the QApplication is made.
inline void useTestScreen(const QByteArray &platform)
{
    qputenv("QT_QPA_PLATFORM", platform);
    for (const char *scaling :
         {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "QT_ENABLE_HIGHDPI_SCALING"})
        qunsetenv(scaling);
}

} // namespace twtest
