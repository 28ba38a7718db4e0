#pragma once
#include "KvaError.h"

#include <QString>

#include <exception>
#include <functional>
#include <utility>

class QWidget;

namespace kva {

// What a message box would have shown. Tests install a hook that records it and answers
// instead of the user; without a hook the real modal box is shown.
struct MessageRecord {
    enum Kind { Error, Warning, Question } kind;
    QString title;
    QString text;
};
// Returns true for "Yes"/"OK".
using MessageHook = std::function<bool(const MessageRecord&)>;
void setMessageHook(MessageHook hook);

// An error raised inside an operation: error box captioned with the application title.
void showErrorBox(QWidget* parent, const QString& text);

// Refusals before an action starts ("POZOR - sériový port není otevřen !"): error box titled "Error".
void showRefusal(QWidget* parent, const QString& text);

// A silent phone: warning box titled "Warning".
void showWarning(QWidget* parent, const QString& text);

// A question before an action that cannot be undone: warning icon, Yes and No, No as the
// default, captioned with the application title; true for Yes.
bool askToGoOn(QWidget* parent, const QString& question);

// "Soubor <name> již existuje, chcete jej přepsat ?" when the file exists; true to go on.
bool confirmOverwrite(QWidget* parent, const QString& fileName);

// Runs one user operation; any error it raises ends it with an error box. Exceptions never
// reach the Qt event loop. Returns false when the operation failed.
template <class Operation>
bool guarded(QWidget* parent, Operation&& operation)
{
    try {
        std::forward<Operation>(operation)();
        return true;
    } catch (...) {
        showErrorBox(parent, messageOf(std::current_exception()));
    }
    return false;
}

} // namespace kva
