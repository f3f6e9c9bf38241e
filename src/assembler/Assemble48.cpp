#include "Assemble48.h"

namespace tw
{

// Until the MCS-48 driver lands, the MCS-48 choice says so instead of writing anything.
AssemblyResult assemble48(const QString &, const QString &binPath, const AssemblyObserver &)
{
    AssemblyResult result;
    result.paths = outputPathsFor(binPath);
    result.failureMessage = QStringLiteral(u"该功能尚未提供。");
    return result;
}

} // namespace tw
