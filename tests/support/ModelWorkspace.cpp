#include "ModelWorkspace.h"

#include "workspace/ToolWindowProtocol.h"

namespace tw
{

ModelWorkspace::ModelWorkspace(Prompter &prompter) : m_prompter(prompter) {}

void ModelWorkspace::openInEditor(const QString &path, const QString &caption)
{
    m_editors.append({path, caption.isEmpty() ? path : caption});
    enterEditingState(*this);
}

void ModelWorkspace::closeEditor(int index)
{
    if (index < 0 || index >= m_editors.size())
        return;
    if (m_editors.size() == 1)
        leaveEditingState(*this);
    m_editors.removeAt(index);
}

bool ModelWorkspace::closeAllEditors()
{
    while (!m_editors.isEmpty())
        closeEditor(static_cast<int>(m_editors.size()) - 1);
    return true;
}

void ModelWorkspace::showTool(const QString &name)
{
    if (m_loaded.contains(name))
        return;
    m_loaded.append(name);
    const auto standIn = m_standIns.constFind(name);
    if (standIn != m_standIns.constEnd() && standIn->load)
        standIn->load(*this);
    else
        lockMainWindow(*this, name);
}

void ModelWorkspace::unloadTool(const QString &name)
{
    if (!m_loaded.removeOne(name))
        return;
    const auto standIn = m_standIns.constFind(name);
    if (standIn != m_standIns.constEnd() && standIn->unload)
        standIn->unload(*this);
    else
        restoreMainWindow(*this, name);
}

} // namespace tw
