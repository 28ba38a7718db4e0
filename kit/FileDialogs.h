#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace kva {

// The standard open and save dialogs with one filter and a default extension, e.g.
// chooseSaveFile(w, "par", "*.par", "par"). The save dialog asks nothing about overwriting;
// the caller does (confirmOverwrite). An empty result means cancelled.
// `suggested`: the file name (or path) the save dialog starts with.
QString chooseSaveFile(QWidget* parent, const QString& filterName, const QString& pattern, const QString& defaultSuffix,
                       const QString& suggested = QString());
QString chooseOpenFile(QWidget* parent, const QString& filterName, const QString& pattern, const QString& defaultSuffix);
// chooseSaveFile, then for an existing file confirmOverwrite: empty when cancelled or declined.
QString chooseFileToWrite(QWidget* parent, const QString& filterName, const QString& pattern, const QString& defaultSuffix,
                          const QString& suggested = QString());

// Tests answer the dialogs through a hook: it gets true for a save dialog and returns the
// file name ("" = cancel). The default suffix is still appended to a name without one.
using FileDialogHook = std::function<QString(bool save)>;
void setFileDialogHook(FileDialogHook hook);

} // namespace kva
