#include "StartUpChecks.h"

#include "common/Prompter.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace tw
{

ScreenFit screenFit(int widthPixels)
{
    const long long twips = static_cast<long long>(widthPixels) * 15;
    if (twips < 15360)
        return ScreenFit::TooNarrow;
    if (twips > 15380)
        return ScreenFit::Wider;
    return ScreenFit::Fits;
}

QString instanceLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(u"tarnwick.lock"_s);
}

bool passStartUpChecks(Prompter &prompter, QLockFile &instanceLock, int screenWidthPixels)
{
    // tryLock removes a lock whose owner process is gone before it gives up.
    instanceLock.setStaleLockTime(0);
    if (!instanceLock.tryLock(0)) {
        prompter.message(u"程序正在运行，请检查窗口是否被最小化。"_s, MsgStyle::Information);
        return false;
    }
    switch (screenFit(screenWidthPixels)) {
    case ScreenFit::TooNarrow:
        prompter.message(u"本软件要求屏幕分辨率不低于1024x768。"_s, MsgStyle::Information);
        instanceLock.unlock();
        return false;
    case ScreenFit::Wider:
        prompter.message(u"将屏幕分辨率设置为1024x768，显示效果最佳。"_s, MsgStyle::Information);
        break;
    case ScreenFit::Fits:
        break;
    }
    return true;
}

} // namespace tw
