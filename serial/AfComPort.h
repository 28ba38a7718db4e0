#pragma once
// The serial port component: TAfDataDispConnComponent -> TAfCustomSerialPort -> TAfCustomComPort
// -> TAfComPort.
//
// Thread contract: every operation below is called on the user-interface thread (the thread
// that created the first port component, normally the QCoreApplication thread). Events are
// std::function members; an empty one is not raised. Every event except OnNonSyncEvent runs on
// the user-interface thread; the engine's event thread waits (up to 2000 ms) while a handler
// runs, so handlers never overlap. OnNonSyncEvent, when assigned, runs on the event thread.
//
// Errors: EAfComPortError ("<message> - <Name> ") from the component, EAfComPortCoreError from
// the engine (Open passes it on unchanged; its Cause() tells why a device could not be opened).
// Both derive from kva::Error: what() is UTF-8.
//
// An exception raised by a handler that runs on the user-interface thread (or a fault of a
// worker) is shown through AfSetErrorDisplay (AfSafeSync.h); the application installs its
// error box there.
#include "AfDataDispatcher.h"
#include "AfLineSettings.h"
#include "AfUtils.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

class TAfComPortCore;

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TAfCPTDataReceivedEvent = std::function<void(QObject* Sender, int32_t Count)>;
using TAfCPTErrorEvent = std::function<void(QObject* Sender, uint32_t Errors)>;
using TAfCPTCoreEvent = std::function<void(QObject* Sender, TAfCoreEvent EventKind, uint32_t Data)>;

class TAfCustomSerialPort : public TAfDataDispConnComponent {
    Q_OBJECT
public:
    explicit TAfCustomSerialPort(QObject* owner = nullptr);
    ~TAfCustomSerialPort() override;

    // Runs after the properties were set up: AutoOpen opens, otherwise rebuilds LineSettings.
    virtual void AfterLoad();

    void Open() override;
    void Close() override; // never fails; raises OnPortClose also when not open
    bool IsOpen() const;

    void WriteBlock(const char* data, int32_t count) override;
    void WriteText(const QByteArray& text); // bytes as they are, no terminator; empty does nothing
    void WriteText(const char* text);
    void ReadBlock(char* buffer, int32_t count);
    QByteArray ReadText(); // everything waiting; empty while closed or closing
    int32_t InputCount() const;
    int32_t OutputFree() const;

    virtual bool ShowSettingsDialog() = 0;
    void ApplyLineSettings(const TAfLineSettings& record);
    void RequireClosed() const;
    [[noreturn]] virtual void RaisePortError(const QString& message) const;

    // Properties. Setting the value a property already has does nothing.
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool v) { autoOpen_ = v; }
    TAfBaudrate BaudRate() const { return line_.BaudRate; }
    void SetBaudRate(TAfBaudrate v);
    TAfDatabits Databits() const { return line_.Databits; }
    void SetDatabits(TAfDatabits v);
    bool DTR() const { return line_.DTR; }
    void SetDTR(bool v);
    TThreadPriority EventThreadPriority() const { return eventThreadPriority_; }
    void SetEventThreadPriority(TThreadPriority v);
    TAfFlowControl FlowControl() const { return line_.FlowControl; }
    void SetFlowControl(TAfFlowControl v);
    int32_t InBufSize() const { return inBufSize_; }
    void SetInBufSize(int32_t v);
    TAfComOptions Options() const { return line_.Options; }
    void SetOptions(TAfComOptions v);
    int32_t OutBufSize() const { return outBufSize_; }
    void SetOutBufSize(int32_t v);
    TAfParity Parity() const { return line_.Parity; }
    void SetParity(TAfParity v);
    bool RTS() const { return line_.RTS; }
    void SetRTS(bool v);
    TAfStopbits Stopbits() const { return line_.Stopbits; }
    void SetStopbits(TAfStopbits v);
    int32_t UserBaudRate() const { return line_.UserBaudRate; }
    void SetUserBaudRate(int32_t v);
    TThreadPriority WriteThreadPriority() const { return writeThreadPriority_; }
    void SetWriteThreadPriority(TThreadPriority v);
    uint8_t XOnChar() const { return line_.XOnChar; }
    void SetXOnChar(uint8_t v);
    uint8_t XOffChar() const { return line_.XOffChar; }
    void SetXOffChar(uint8_t v);
    uint16_t XOnLim() const { return line_.XOnLim; }
    void SetXOnLim(uint16_t v);
    uint16_t XOffLim() const { return line_.XOffLim; }
    void SetXOffLim(uint16_t v);

    const TAfLineSettings& LineSettings() const { return lineSettings_; }
    TAfComPortCore& Engine() const { return *engine_; }
    int SyncSlot() const { return syncSlot_; }

    // Events.
    TNotifyEvent OnCTSChanged;
    TAfCPTDataReceivedEvent OnDataRecived;
    TNotifyEvent OnDSRChanged;
    TNotifyEvent OnRLSDChanged;
    TNotifyEvent OnRINGDetected;
    TAfCPTErrorEvent OnLineError;
    TNotifyEvent OnOutBufFree;
    TAfCPTCoreEvent OnNonSyncEvent;
    TNotifyEvent OnPortClose;
    TNotifyEvent OnPortOpen;
    TAfCPTCoreEvent OnSyncEvent;

protected:
    virtual void OpenDevice() = 0;
    void UpdateLineSettings(); // the rebuild

private:
    void UpdateFlowLimits();
    void HandleCoreEvent(TAfCoreEvent kind, uint32_t data, std::exception_ptr fault); // event thread
    void DeliverPending();                                   // user-interface thread

    bool autoOpen_ = false;
    std::atomic<bool> closing_{false};
    std::atomic<bool> destroying_{false};
    std::unique_ptr<TAfComPortCore> engine_;
    TAfLineProperties line_;
    TAfLineSettings lineSettings_;
    TThreadPriority eventThreadPriority_ = tpNormal;
    int32_t inBufSize_ = 4096;
    int32_t outBufSize_ = 2048;
    int syncSlot_ = 0;
    TThreadPriority writeThreadPriority_ = tpHighest;
    // The one event on its way to the user-interface thread: written by the event thread just
    // before the registry call, read inside it. The lock covers a late handler after a
    // delivery that ran out of time.
    TAfCoreEvent pendingKind_ = ceOutputEmpty;
    uint32_t pendingData_ = 0;
    std::exception_ptr pendingFault_;
    std::mutex pendingLock_;
};

class TAfCustomComPort : public TAfCustomSerialPort {
    Q_OBJECT
public:
    explicit TAfCustomComPort(QObject* owner = nullptr);

    // 1..6 in the program; changing it on an open port closes and reopens.
    uint16_t ComNumber() const { return comNumber_; }
    void SetComNumber(uint16_t v);
    // The device behind "COM<ComNumber>" (see AfComDevicePath).
    QString DevicePath() const { return AfComDevicePath(comNumber_); }

    // There is no platform port-configuration dialog on Linux: always False.
    bool ShowSettingsDialog() override;

protected:
    void OpenDevice() override;

private:
    uint16_t comNumber_ = 0;
};

class TAfComPort : public TAfCustomComPort {
    Q_OBJECT
public:
    explicit TAfComPort(QObject* owner = nullptr);
};
