#include "FileDialogs.h"

#include "MessageBoxes.h"

#include <QFileDialog>
#include <QFileInfo>

namespace kva {
namespace {

FileDialogHook& fileDialogHook()
{
    static FileDialogHook h;
    return h;
}

QString withSuffix(const QString& name, const QString& suffix)
{
    if (name.isEmpty() || suffix.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + u'.' + suffix;
}

QString choose(QWidget* parent, bool save, const QString& filterName, const QString& pattern, const QString& suffix,
               const QString& suggested = QString())
{
    if (fileDialogHook())
        return withSuffix(fileDialogHook()(save), suffix);
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(filterName + QStringLiteral(" (") + pattern + u')');
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return withSuffix(dialog.selectedFiles().constFirst(), suffix);
}

} // namespace

void setFileDialogHook(FileDialogHook h)
{
    fileDialogHook() = std::move(h);
}

QString chooseSaveFile(QWidget* parent, const QString& filterName, const QString& pattern, const QString& defaultSuffix,
                       const QString& suggested)
{
    return choose(parent, true, filterName, pattern, defaultSuffix, suggested);
}

QString chooseOpenFile(QWidget* parent, const QString& filterName, const QString& pattern, const QString& defaultSuffix)
{
    return choose(parent, false, filterName, pattern, defaultSuffix);
}

QString chooseFileToWrite(QWidget* parent, const QString& filterName, const QString& pattern, const QString& defaultSuffix,
                          const QString& suggested)
{
    const QString path = chooseSaveFile(parent, filterName, pattern, defaultSuffix, suggested);
    if (path.isEmpty() || !confirmOverwrite(parent, path))
        return {};
    return path;
}

} // namespace kva
