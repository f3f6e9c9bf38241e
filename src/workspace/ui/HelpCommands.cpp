#include "HelpCommands.h"

#include "AboutBox.h"
#include "HelpWindow.h"
#include "TextViewer.h"
#include "ToolRegistry.h"
#include "ToolWindow.h"
#include "common/Paths.h"
#include "workspace/FaqText.h"
#include "workspace/MenuNames.h"
#include "workspace/Workspace.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tw
{

namespace
{

MenuCommand helpPage(const QString &fileName)
{
    return [fileName](Workspace &workspace) {
        if (auto *help = showToolWindow<HelpWindow>(workspace, ToolName::Help))
            help->showPage(QDir(programFolder()).filePath(u"help/"_s + fileName));
    };
}

void showFaq(Workspace &workspace)
{
    if (auto *viewer = showToolWindow<TextViewer>(workspace, ToolName::TextViewer)) {
        viewer->setWindowTitle(u"FAQ"_s);
        viewer->setText(faqText());
    }
}

} // namespace

void registerHelpWindows()
{
    // Made a window of the main window (kept above it) and centred on the screen, so the host
    // leaves it there: pages want the screen's middle, not the spot over the main window's.
    const auto helpWindow = [](Workspace &workspace) -> QWidget * {
        auto *window = new HelpWindow(workspace.prompter(), dynamic_cast<QWidget *>(&workspace));
        centreOnScreen(window);
        return window;
    };
    registerTool(
        QString::fromLatin1(ToolName::Help), helpWindow,
        {{Menu::HelpManual, helpPage(u"manual.html"_s)}, {Menu::HelpTutorial, helpPage(u"tutorial.html"_s)}});
    registerTool(QString::fromLatin1(ToolName::TextViewer),
                 [](Workspace &) -> QWidget * { return new TextViewer(); }, {{Menu::HelpFaq, showFaq}});
    registerTool(QString::fromLatin1(ToolName::About),
                 [](Workspace &workspace) -> QWidget * { return new AboutBox(workspace); },
                 {{Menu::About, {}}});
}

} // namespace tw
