#pragma once
// The simulator's message texts that more than one place shows.
#include <QString>

namespace tw
{

// A file the simulator needs is not there.
inline QString missingProgramFileMessage(const QString &path)
{
    return QStringLiteral(u"缺失") + path + QStringLiteral(u"文件");
}

} // namespace tw
