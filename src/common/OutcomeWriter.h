#pragma once
// The Qt side of tool outcomes (base/ToolOutcome.h): building notes and files from Qt texts, and
// carrying an outcome out through a Prompter, so a window asks and reports with its own dialogs and
// the driver with a script.
#include "base/ToolOutcome.h"

#include <QByteArrayView>
#include <QString>

namespace tw
{

class Prompter;

// The file-name bytes of a path, and back.
std::string nativePath(const QString &path);
QString fromNativePath(const std::string &path);

ToolNote toolNote(const QString &text, int style, const QString &title);
QString noteText(const ToolNote &note);

PlannedFile plannedFile(const QString &path, QByteArrayView bytes, bool askBeforeReplacing = false);

// The message for an input that could not be read: "文件读取失败：PATH（REASON）".
QString readFailureMessage(const QString &path, const QString &reason);

CarriedOut carryOut(const ToolOutcome &outcome, Prompter &prompter);

} // namespace tw
