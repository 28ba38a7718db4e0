#include "AfComPort.h"

#include "AfComPortCore.h"
#include "AfSafeSync.h"

namespace {

constexpr int kDeliveryLimitMs = 2000;

// Clears the flag when Close ends, also when an OnPortClose handler raises.
struct ClearOnExit {
    std::atomic<bool>& flag;
    ~ClearOnExit() { flag.store(false); }
};

} // namespace

// ---- TAfCustomSerialPort

TAfCustomSerialPort::TAfCustomSerialPort(QObject* owner)
    : TAfDataDispConnComponent(owner), engine_(std::make_unique<TAfComPortCore>())
{
    syncSlot_ = AfSafeSync::AddCallback([this] { DeliverPending(); });
    engine_->SetEventCallback([this](TAfComPortCore&, TAfCoreEvent kind, uint32_t data, std::exception_ptr fault) {
        HandleCoreEvent(kind, data, fault);
    });
    lineSettings_ = AfBuildLineSettings(line_);
}

TAfCustomSerialPort::~TAfCustomSerialPort()
{
    destroying_.store(true);
    AfSafeSync::RemoveCallback(syncSlot_);
    engine_.reset();
}

void TAfCustomSerialPort::AfterLoad()
{
    if (autoOpen_)
        Open();
    else
        UpdateLineSettings();
}

void TAfCustomSerialPort::Open()
{
    if (!engine_->IsOpen()) {
        AfSafeSync::EnableCallback(syncSlot_, true);
        engine_->SetLineSettings(lineSettings_);
        engine_->SetInQueueSize(inBufSize_);
        engine_->SetOutQueueSize(outBufSize_);
        engine_->SetEventThreadPriority(eventThreadPriority_);
        engine_->SetWriteThreadPriority(writeThreadPriority_);
        closing_.store(false);
        try {
            OpenDevice();
        } catch (...) {
            // A refused line record comes back as the device reported it.
            lineSettings_ = engine_->LineSettings();
            throw;
        }
        if (OnPortOpen)
            OnPortOpen(this);
    }
    TAfDataDispConnComponent::Open();
}

void TAfCustomSerialPort::Close()
{
    closing_.store(true);
    ClearOnExit clear{closing_};
    TAfDataDispConnComponent::Close();
    AfSafeSync::EnableCallback(syncSlot_, false);
    engine_->ClosePort();
    if (OnPortClose)
        OnPortClose(this);
}

bool TAfCustomSerialPort::IsOpen() const
{
    return engine_ && engine_->IsOpen();
}

void TAfCustomSerialPort::WriteBlock(const char* data, int32_t count)
{
    if (closing_.load())
        return;
    if (!engine_->QueueOutput(data, count))
        RaisePortError(QStringLiteral("Write data error [requested: %1, free: %2]").arg(count).arg(OutputFree()));
}

void TAfCustomSerialPort::WriteText(const QByteArray& text)
{
    if (!text.isEmpty())
        WriteBlock(text.constData(), int32_t(text.size()));
}

void TAfCustomSerialPort::WriteText(const char* text)
{
    WriteText(QByteArray(text));
}

void TAfCustomSerialPort::ReadBlock(char* buffer, int32_t count)
{
    if (closing_.load())
        return;
    if (engine_->ReadInput(buffer, count) < count || !engine_->IsOpen())
        RaisePortError(QStringLiteral("Read data error"));
}

QByteArray TAfCustomSerialPort::ReadText()
{
    if (closing_.load())
        return QByteArray();
    const int32_t waiting = InputCount();
    if (waiting <= 0)
        return QByteArray();
    QByteArray bytes(waiting, '\0');
    const int32_t got = engine_->ReadInput(bytes.data(), waiting);
    if (got <= 0)
        return QByteArray();
    bytes.truncate(got);
    return bytes;
}

int32_t TAfCustomSerialPort::InputCount() const
{
    return int32_t(engine_->InputStatus().InQueue);
}

int32_t TAfCustomSerialPort::OutputFree() const
{
    return engine_->OutputFree();
}

void TAfCustomSerialPort::ApplyLineSettings(const TAfLineSettings& record)
{
    if (record.Length != TAfLineSettings::RecordSize)
        RaisePortError(QStringLiteral("Error setting parameters from DCB"));
    lineSettings_ = record;
    AfDecodeLineSettings(record, line_);
    UpdateLineSettings();
}

void TAfCustomSerialPort::RequireClosed() const
{
    if (IsOpen())
        RaisePortError(QStringLiteral("Port is not closed"));
}

void TAfCustomSerialPort::RaisePortError(const QString& message) const
{
    throw EAfComPortError(QStringLiteral("%1 - %2 ").arg(message, Name()));
}

void TAfCustomSerialPort::UpdateLineSettings()
{
    lineSettings_ = AfBuildLineSettings(line_);
    if (!engine_->IsOpen())
        return;
    try {
        engine_->SetLineSettings(lineSettings_);
    } catch (...) {
        lineSettings_ = engine_->LineSettings();
        throw;
    }
}

void TAfCustomSerialPort::UpdateFlowLimits()
{
    const auto limits = AfFlowLimits(line_.FlowControl, inBufSize_);
    line_.XOnLim = limits.first;
    line_.XOffLim = limits.second;
}

void TAfCustomSerialPort::SetBaudRate(TAfBaudrate v)
{
    if (v == line_.BaudRate)
        return;
    line_.BaudRate = v;
    if (v != brUser)
        line_.UserBaudRate = 0;
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetDatabits(TAfDatabits v)
{
    if (v == line_.Databits)
        return;
    line_.Databits = v;
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetDTR(bool v)
{
    if (v == line_.DTR)
        return;
    if (engine_)
        engine_->Escape(v ? AfEscape::SetDtr : AfEscape::ClrDtr);
    line_.DTR = v;
}

void TAfCustomSerialPort::SetEventThreadPriority(TThreadPriority v)
{
    eventThreadPriority_ = v;
}

void TAfCustomSerialPort::SetFlowControl(TAfFlowControl v)
{
    if (v == line_.FlowControl)
        return;
    line_.FlowControl = v;
    UpdateFlowLimits();
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetInBufSize(int32_t v)
{
    if (v == inBufSize_)
        return;
    RequireClosed();
    inBufSize_ = v;
    UpdateFlowLimits();
}

void TAfCustomSerialPort::SetOptions(TAfComOptions v)
{
    if (v == line_.Options)
        return;
    line_.Options = v;
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetOutBufSize(int32_t v)
{
    if (v == outBufSize_)
        return;
    RequireClosed();
    outBufSize_ = v;
}

void TAfCustomSerialPort::SetParity(TAfParity v)
{
    if (v == line_.Parity)
        return;
    line_.Parity = v;
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetRTS(bool v)
{
    if (v == line_.RTS)
        return;
    if (engine_)
        engine_->Escape(v ? AfEscape::SetRts : AfEscape::ClrRts);
    line_.RTS = v;
}

void TAfCustomSerialPort::SetStopbits(TAfStopbits v)
{
    if (v == line_.Stopbits)
        return;
    line_.Stopbits = v;
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetUserBaudRate(int32_t v)
{
    if (v == line_.UserBaudRate && line_.BaudRate == brUser)
        return;
    line_.UserBaudRate = v;
    line_.BaudRate = brUser;
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetWriteThreadPriority(TThreadPriority v)
{
    writeThreadPriority_ = v;
}

void TAfCustomSerialPort::SetXOnChar(uint8_t v)
{
    if (v == line_.XOnChar)
        return;
    line_.XOnChar = v;
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetXOffChar(uint8_t v)
{
    if (v == line_.XOffChar)
        return;
    line_.XOffChar = v;
    UpdateLineSettings();
}

void TAfCustomSerialPort::SetXOnLim(uint16_t v)
{
    if (v == line_.XOnLim)
        return;
    line_.XOnLim = v;
    line_.XOffLim = uint16_t(uint16_t(inBufSize_) - v);
}

void TAfCustomSerialPort::SetXOffLim(uint16_t v)
{
    if (v == line_.XOffLim)
        return;
    line_.XOffLim = v;
    line_.XOnLim = uint16_t(uint16_t(inBufSize_) - v);
}

// Event thread.
void TAfCustomSerialPort::HandleCoreEvent(TAfCoreEvent kind, uint32_t data, std::exception_ptr fault)
{
    if (closing_.load() || destroying_.load())
        return;
    if (kind != ceWorkerFault && OnNonSyncEvent) {
        OnNonSyncEvent(this, kind, data);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(pendingLock_);
        pendingKind_ = kind;
        pendingData_ = data;
        pendingFault_ = fault;
    }
    if (!AfSafeSync::CallOnMainThread(syncSlot_, kDeliveryLimitMs))
        throw EAfAbort(); // the port is being closed: drop the event silently
}

// User-interface thread, while the event thread waits.
void TAfCustomSerialPort::DeliverPending()
{
    if (closing_.load() || destroying_.load())
        return;
    TAfCoreEvent kind;
    uint32_t data;
    std::exception_ptr fault;
    {
        std::lock_guard<std::mutex> lock(pendingLock_);
        kind = pendingKind_;
        data = pendingData_;
        fault = pendingFault_;
        pendingFault_ = nullptr;
    }
    if (OnSyncEvent)
        OnSyncEvent(this, kind, data);
    switch (kind) {
    case ceOutputEmpty:
        if (OnOutBufFree)
            OnOutBufFree(this);
        break;
    case ceCommEvent: {
        if ((data & AfEv::RxChar) && OnDataRecived)
            OnDataRecived(this, InputCount());
        if (data & AfEv::Err)
            engine_->InputStatus(); // gathers the errors the device has counted meanwhile
        const uint32_t errors = engine_->TakeLineErrors();
        if ((data & AfEv::Err) && OnLineError)
            OnLineError(this, errors);
        if ((data & AfEv::Cts) && OnCTSChanged)
            OnCTSChanged(this);
        if ((data & AfEv::Dsr) && OnDSRChanged)
            OnDSRChanged(this);
        if ((data & AfEv::Ring) && OnRINGDetected)
            OnRINGDetected(this);
        if ((data & AfEv::Rlsd) && OnRLSDChanged)
            OnRLSDChanged(this);
        break;
    }
    case ceInputWaiting:
        if (OnDataRecived)
            OnDataRecived(this, int32_t(data));
        break;
    case ceWorkerFault:
        if (fault)
            std::rethrow_exception(fault);
        break;
    }
}

// ---- TAfCustomComPort

TAfCustomComPort::TAfCustomComPort(QObject* owner) : TAfCustomSerialPort(owner) {}

void TAfCustomComPort::SetComNumber(uint16_t v)
{
    if (v == comNumber_)
        return;
    if (IsOpen()) {
        Close();
        comNumber_ = v;
        Open();
    } else {
        comNumber_ = v;
    }
}

bool TAfCustomComPort::ShowSettingsDialog()
{
    return false;
}

void TAfCustomComPort::OpenDevice()
{
    Engine().OpenPort(comNumber_);
}

// ---- TAfComPort

TAfComPort::TAfComPort(QObject* owner) : TAfCustomComPort(owner) {}
