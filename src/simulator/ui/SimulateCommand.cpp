// The simulate command and the simulator window's registration with the main window.
#include "SimulatorTexts.h"
#include "SimulatorWindow.h"

#include "common/Paths.h"
#include "simulator/Messages.h"
#include "workspace/MenuNames.h"
#include "workspace/ToolWindowProtocol.h"
#include "workspace/ui/ToolRegistry.h"

#include <QFileInfo>

namespace tw
{

void simulateCommand(Workspace &workspace)
{
    const QString path = workspace.prompter().openFileName(QStringLiteral(u"请选择待仿真的目标文件"),
                                                           QStringLiteral(u"二进制代码文件 (*.bin)"));
    if (path.isEmpty() || !hasBinEnding(path))
        return;
    workspace.setCurrentBinPath(path);
    const QString listingPath = replaceLastThree(path, QStringLiteral("lt"));
    if (!QFileInfo(listingPath).isFile()) {
        workspace.prompter().message(missingProgramFileMessage(listingPath), MsgStyle::Ok,
                                     QStringLiteral(u"信息"));
        return;
    }
    workspace.showTool(QString::fromLatin1(ToolName::Simulator));
}

void registerSimulatorWindow()
{
    const auto factory = [](Workspace &workspace) -> QWidget * {
        ProgramFiles files;
        const QString problem = readProgramFiles(workspace.currentBinPath(), files);
        if (problem.isEmpty())
            return new SimulatorWindow(workspace, files);
        // Refused before anything is loaded; the items the assembler's hand-over switched off
        // come back as if the window had opened and closed.
        workspace.prompter().message(problem, kSimulatorNotice, QString());
        restoreMainWindow(workspace, QString::fromLatin1(ToolName::Simulator));
        return nullptr;
    };
    registerTool(ToolName::Simulator, factory, {{Menu::Simulate51, &simulateCommand}});
}

} // namespace tw
