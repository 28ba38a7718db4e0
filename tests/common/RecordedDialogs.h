#pragma once
// For window tests: file dialogs and message boxes answered without showing them.
#include "FileDialogs.h"
#include "MessageBoxes.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <vector>

// A file dialog returns `chosen` (empty: cancelled) and is recorded in `dialogs` as "save" or
// "open"; a message box is recorded in `messages` and answered `answer`.
class RecordedDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        kva::setFileDialogHook([this](bool save) {
            dialogs << (save ? QStringLiteral("save") : QStringLiteral("open"));
            return chosen;
        });
        kva::setMessageHook([this](const kva::MessageRecord& m) {
            messages.push_back(m);
            return answer;
        });
    }
    void TearDown() override
    {
        kva::setFileDialogHook({});
        kva::setMessageHook({});
    }

    QString chosen;
    bool answer = true;
    QStringList dialogs;
    std::vector<kva::MessageRecord> messages;
};
