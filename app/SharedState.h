#pragma once
#include <QString>
#include <cstdint>

// The state through which the tab windows talk to the phone, one instance for the whole run,
// owned by the main window. Touched only on the user-interface thread.
struct SharedState {
    QString ReplyBuffer;     // the phone's latest answer, replaced by every non-empty chunk
    QString LastChunk;       // text taken from the port by the latest data-received event
    QString ExchangePhase;   // configuration write: "test_komunikace" or "prvni_konfigurak"
    int32_t ExchangeStep = 0;
    QString SmsCentreNumber; // line 2 of setting.ini
    QString StartupPortName; // line 1 of setting.ini as read
};
