#pragma once
// Product name, version and the addresses the Help menu and About box open. The addresses are
// build options (-DTW_LATEST_VERSION_URL=... and so on), compiled into ProductInfo.cpp alone, so
// changing one rebuilds one file. The latest-version page defaults to the README shipped with the
// program; the mail addresses are neutral.
#include <QString>

namespace tw
{

QString productName();
QString productVersion();
// The latest-version page given at build time; empty: the README in the program folder.
QString latestVersionAddress();
// The first address is also the one the menu bar's mail item writes to.
QString mailAddress(int index);

} // namespace tw
