#include "MessageBoxes.h"

#include "AppTexts.h"

#include <QFileInfo>
#include <QMessageBox>

namespace kva {
namespace {

MessageHook& messageHook()
{
    static MessageHook h;
    return h;
}

bool show(QWidget* parent, MessageRecord::Kind kind, const QString& title, const QString& text)
{
    if (messageHook())
        return messageHook()({kind, title, text});
    switch (kind) {
    case MessageRecord::Error:
        QMessageBox::critical(parent, title, text);
        return true;
    case MessageRecord::Warning:
        QMessageBox::warning(parent, title, text);
        return true;
    case MessageRecord::Question:
        return QMessageBox::warning(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
               QMessageBox::Yes;
    }
    return false;
}

} // namespace

void setMessageHook(MessageHook h)
{
    messageHook() = std::move(h);
}

void showErrorBox(QWidget* parent, const QString& text)
{
    show(parent, MessageRecord::Error, applicationTitle(), text);
}

void showRefusal(QWidget* parent, const QString& text)
{
    show(parent, MessageRecord::Error, QStringLiteral("Error"), text);
}

void showWarning(QWidget* parent, const QString& text)
{
    show(parent, MessageRecord::Warning, QStringLiteral("Warning"), text);
}

bool askToGoOn(QWidget* parent, const QString& question)
{
    return show(parent, MessageRecord::Question, applicationTitle(), question);
}

bool confirmOverwrite(QWidget* parent, const QString& fileName)
{
    if (!QFileInfo::exists(fileName))
        return true;
    const QString question = QStringLiteral("Soubor ") + fileName + QStringLiteral(" již existuje, chcete jej přepsat ?");
    return show(parent, MessageRecord::Question, QStringLiteral("Warning"), question);
}

} // namespace kva
