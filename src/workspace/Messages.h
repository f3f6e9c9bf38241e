#pragma once
// Texts the main window's and the editor windows' messages and file dialogs share.
#include <QString>

namespace tw
{

inline const QString kWorkspaceInfoTitle = QStringLiteral(u"信息");
inline const QString kSourceFileFilter = QStringLiteral(u" 源程序文件(*.asm) (*.asm);;所有文件(*.*) (*)");

} // namespace tw
