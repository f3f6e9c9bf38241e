#include "ProductInfo.h"

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

QString productName()
{
    return QStringLiteral("Tarnwick");
}

QString productVersion()
{
    return QStringLiteral(TW_VERSION_TEXT);
}

QString latestVersionAddress()
{
    return QStringLiteral(TW_LATEST_VERSION_URL);
}

QString mailAddress(int index)
{
    return index == 0 ? QStringLiteral(TW_MAIL_ADDRESS_1) : QStringLiteral(TW_MAIL_ADDRESS_2);
}

} // namespace tw
