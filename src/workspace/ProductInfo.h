#pragma once
// Product name, version and the addresses the Help menu and About box open. The addresses are
// build options (-DTW_LATEST_VERSION_URL=... and so on). The latest-version page defaults to the
// README shipped with the program; the mail addresses are neutral.
#include <QString>

#ifndef TW_VERSION_TEXT
#define TW_VERSION_TEXT "0.1"
#endif
#ifndef TW_LATEST_VERSION_URL
#define TW_LATEST_VERSION_URL ""
#endif
#ifndef TW_MAIL_ADDRESS_1
#define TW_MAIL_ADDRESS_1 "tarnwick@example.org"
#endif
#ifndef TW_MAIL_ADDRESS_2
#define TW_MAIL_ADDRESS_2 "tarnwick-help@example.org"
#endif

namespace tw
{

inline QString productName()
{
    return QStringLiteral("Tarnwick");
}
inline QString productVersion()
{
    return QStringLiteral(TW_VERSION_TEXT);
}
// The latest-version page given at build time; empty: the README in the program folder.
inline QString latestVersionAddress()
{
    return QStringLiteral(TW_LATEST_VERSION_URL);
}
// The first address is also the one the menu bar's mail item writes to.
inline QString mailAddress(int index)
{
    return index == 0 ? QStringLiteral(TW_MAIL_ADDRESS_1) : QStringLiteral(TW_MAIL_ADDRESS_2);
}

} // namespace tw
