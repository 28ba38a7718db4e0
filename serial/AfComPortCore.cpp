#include "AfComPortCore.h"

#include "AfSafeSync.h"
#include "AfThreadPriority.h"

#include <algorithm>
#include <system_error>

namespace {

constexpr int kPollMs = 200;
constexpr int kThreadStartMs = 3000;
constexpr int kAbortAckMs = 2000;

bool isAbort(std::exception_ptr fault)
{
    try {
        std::rethrow_exception(fault);
    } catch (const EAfAbort&) {
        return true;
    } catch (...) {
    }
    return false;
}

} // namespace

// ---- TAfComPortCoreThread

TAfComPortCoreThread::TAfComPortCoreThread(TAfComPortCore& core, std::shared_ptr<TAfSignalHub> hub)
    : Core(core), Handle(core.device_), StopSignal(false, std::move(hub))
{
}

TAfComPortCoreThread::~TAfComPortCoreThread()
{
    if (thread_.joinable())
        TAfComPortCoreThread::Stop();
}

void TAfComPortCoreThread::Start()
{
    thread_ = std::thread([this] { Run(); });
}

void TAfComPortCoreThread::Run()
{
    tid_.store(AfCurrentThreadId());
    try {
        Execute();
    } catch (...) {
        HandleFault(std::current_exception());
    }
    finished_.store(true);
    AfSafeSync::WakeWaiters();
}

void TAfComPortCoreThread::SetPriority(TThreadPriority priority)
{
    if (tid_.load() != 0)
        AfSetThreadPriority(tid_.load(), priority);
}

void TAfComPortCoreThread::Stop()
{
    terminated_.store(true);
    StopSignal.Set();
    if (!thread_.joinable())
        return;
    if (AfSafeSync::IsMainThread())
        AfSafeSync::WaitProcessingCalls([this] { return finished_.load(); }, -1);
    thread_.join();
}

void TAfComPortCoreThread::HandleFault(std::exception_ptr fault)
{
    if (isAbort(fault))
        return;
    AfSafeSync::RunOnMainThread([fault] { AfShowError(fault); }, -1);
}

// ---- TAfComPortEventThread

TAfComPortEventThread::TAfComPortEventThread(TAfComPortCore& core)
    : TAfComPortCoreThread(core, nullptr), Callback(core.EventCallback)
{
    TAfSerialDevice* device = &Handle;
    StopSignal.SetHook([device] { device->WakeEventWait(); });
    Start();
}

TAfComPortEventThread::~TAfComPortEventThread()
{
    TAfComPortEventThread::Stop();
}

void TAfComPortEventThread::Stop()
{
    callbackOn_.store(false);
    Handle.SetEventMask(0);
    Handle.Purge(AfPurge::RxAbort | AfPurge::RxClear);
    TAfComPortCoreThread::Stop();
}

int32_t TAfComPortEventThread::ReadAvailable(char* buffer, int32_t count)
{
    return Handle.Read(buffer, count);
}

void TAfComPortEventThread::Notify(TAfCoreEvent kind, uint32_t data)
{
    if (!callbackOn_.load() || !Callback)
        return;
    try {
        Callback(Core, kind, data, nullptr);
    } catch (...) {
        HandleFault(std::current_exception());
    }
}

void TAfComPortEventThread::HandleFault(std::exception_ptr fault)
{
    if (isAbort(fault))
        return;
    if (callbackOn_.load() && Callback) {
        try {
            Callback(Core, ceWorkerFault, 0, fault);
        } catch (...) {
            // The delivery was turned away (the port is closing): the fault goes no further.
        }
        return;
    }
    TAfComPortCoreThread::HandleFault(fault);
}

void TAfComPortEventThread::Execute()
{
    Core.OutputDone.Reset();
    bool deviceWaitOff = false;
    int failures = 0;
    Core.ThreadStarted.Set();
    while (!Terminated()) {
        uint32_t bits = 0;
        TAfWaitResult r = deviceWaitOff ? Handle.WaitWake(kPollMs) : Handle.WaitEvent(kPollMs, bits);
        if (Terminated())
            break;
        if (r == TAfWaitResult::Failed) {
            // Pause instead of retrying at once, which at time-critical priority would starve
            // the machine; the poll below still runs.
            failures = std::min(failures + 1, 5);
            Handle.WaitWake(std::min(10 << failures, kPollMs));
            r = TAfWaitResult::Timeout;
        } else if (r == TAfWaitResult::Events) {
            failures = 0;
            if (bits != 0)
                Notify(ceCommEvent, bits);
            else
                deviceWaitOff = true; // the mask was set to 0: only the poll goes on
        }
        if (Core.OutputDone.TryTake())
            Notify(ceOutputEmpty, 0);
        if (r == TAfWaitResult::Timeout && !Terminated()) {
            const TAfQueueStatus status = Core.InputStatus();
            if (status.InQueue > 0)
                Notify(ceInputWaiting, status.InQueue);
        }
    }
}

// ---- TAfComPortWriteThread

TAfComPortWriteThread::TAfComPortWriteThread(TAfComPortCore& core, std::shared_ptr<TAfSignalHub> hub)
    : TAfComPortCoreThread(core, hub), AbortAck(true), AbortRequest(true, hub), DataQueued(true, hub),
      Output(core.outQueueSize_)
{
    TAfSerialDevice* device = &Handle;
    StopSignal.SetHook([device] { device->WakeWriter(); });
    AbortRequest.SetHook([device] { device->WakeWriter(); });
    AbortAck.SetHook([] { AfSafeSync::WakeWaiters(); });
    Start();
}

TAfComPortWriteThread::~TAfComPortWriteThread()
{
    TAfComPortCoreThread::Stop();
}

void TAfComPortWriteThread::Stop()
{
    AbortOutput();
    TAfComPortCoreThread::Stop();
}

bool TAfComPortWriteThread::Enqueue(const char* data, int32_t count)
{
    bool accepted;
    {
        std::lock_guard<std::mutex> lock(Core.SendLock);
        accepted = Output.Write(data, count);
    }
    if (accepted)
        DataQueued.Set();
    return accepted;
}

int32_t TAfComPortWriteThread::FreeSpace() const
{
    std::lock_guard<std::mutex> lock(Core.SendLock);
    return Output.FreeSpace();
}

bool TAfComPortWriteThread::AbortOutput()
{
    AbortRequest.Set();
    bool acknowledged;
    if (AfSafeSync::IsMainThread())
        acknowledged = AfSafeSync::WaitProcessingCalls([this] { return AbortAck.TryTake(); }, kAbortAckMs);
    else
        acknowledged = AbortAck.Wait(kAbortAckMs);
    if (!acknowledged)
        return false;
    {
        std::lock_guard<std::mutex> lock(Core.SendLock);
        DataQueued.Reset();
        Output.Clear();
    }
    return Handle.Purge(AfPurge::TxAbort | AfPurge::TxClear);
}

void TAfComPortWriteThread::Execute()
{
    Core.ThreadStarted.Set();
    while (!Terminated()) {
        switch (TAfSignal::WaitAny({&StopSignal, &AbortRequest, &DataQueued}, -1)) {
        case 0: return;
        case 1: AbortAck.Set(); break;
        case 2: SendOutput(); break;
        default: break;
        }
    }
}

void TAfComPortWriteThread::SendOutput()
{
    for (;;) {
        const char* chunk;
        int32_t size;
        {
            std::lock_guard<std::mutex> lock(Core.SendLock);
            size = Output.ContiguousUsed();
            chunk = Output.ReadPointer();
        }
        if (size == 0)
            return;
        // Only this thread removes bytes and others only append, so the chunk stays in place
        // while it is written without the lock.
        const int32_t written = Handle.Write(chunk, size);
        if (written < 0)
            return; // failed: the bytes stay queued
        if (written == 0) {
            // The device takes nothing now (flow control, full queue): wait until it does,
            // answering a stop or an abort meanwhile.
            for (;;) {
                if (StopSignal.IsSet())
                    return;
                if (AbortRequest.TryTake()) {
                    AbortAck.Set();
                    return;
                }
                if (Handle.WaitWritable())
                    break;
            }
            continue;
        }
        int32_t left;
        {
            std::lock_guard<std::mutex> lock(Core.SendLock);
            Output.Remove(written);
            left = Output.Used();
        }
        if (left > 0) {
            DataQueued.Set(); // the part after the wrap, or bytes queued meanwhile
        } else {
            Core.OutputDone.Set();
        }
        return;
    }
}

// ---- TAfComPortCore

TAfComPortCore::TAfComPortCore()
{
    TAfSerialDevice* device = &device_;
    OutputDone.SetHook([device] { device->WakeEventWait(); });
}

TAfComPortCore::~TAfComPortCore()
{
    ClosePort();
}

template <class Thread, class... Args>
void TAfComPortCore::StartThread(std::unique_ptr<Thread>& slot, TThreadPriority priority, Args&&... args)
{
    ThreadStarted.Reset();
    try {
        slot = std::make_unique<Thread>(*this, std::forward<Args>(args)...);
    } catch (const std::system_error&) {
        throw EAfComPortCoreError(QStringLiteral("Error creating threads"));
    }
    if (!ThreadStarted.Wait(kThreadStartMs))
        throw EAfComPortCoreError(QStringLiteral("Error creating threads"));
    slot->SetPriority(priority);
}

bool TAfComPortCore::OpenPort(int32_t number)
{
    if (Opened)
        return false;
    if (number <= 0)
        throw EAfComPortCoreError(QStringLiteral("Chybné číslo portu (COM%1)").arg(number),
                                  TAfOpenFailure::NoSuchDevice);
    portNumber_ = number;
    const QString path = AfComDevicePath(number);
    TAfOpenFailure failure;
    int sysError;
    if (!device_.Open(path, failure, sysError)) {
        const QString message = failure == TAfOpenFailure::NoSuchDevice
                                    ? QStringLiteral("Chybné číslo portu (COM%1)").arg(number)
                                    : QStringLiteral("Nemohu otevřít port COM%1").arg(number);
        throw EAfComPortCoreError(message, failure, path, sysError);
    }
    try {
        eventThread_.reset();
        writeThread_.reset();
        if (!device_.SetTimeouts())
            throw EAfComPortCoreError(QStringLiteral("Error setting timeouts"));
        if (!device_.SetQueueSizes(inQueueSize_, outQueueSize_))
            throw EAfComPortCoreError(QStringLiteral("Error initializing buffers"));
        device_.SetEventMask(eventMask_);
        if (!device_.SetLineSettings(lineSettings_)) {
            device_.GetLineSettings(lineSettings_);
            throw EAfComPortCoreError(QStringLiteral("Error setting parameters from DCB"));
        }
        LineErrors = 0;
        StartThread(writeThread_, writeThreadPriority_, std::make_shared<TAfSignalHub>());
        Running.store(true);
        StartThread(eventThread_, eventThreadPriority_);
        Opened = true;
    } catch (...) {
        Shutdown();
        throw;
    }
    return true;
}

void TAfComPortCore::ClosePort()
{
    if (!Opened)
        return;
    Shutdown();
    Opened = false;
}

void TAfComPortCore::Shutdown()
{
    if (!device_.IsOpen())
        return;
    Running.store(false);
    {
        // Cancels a write held up by flow control so that the write thread can answer.
        std::lock_guard<std::mutex> lock(ReceiveLock);
        device_.Purge(AfPurge::TxAbort | AfPurge::RxAbort | AfPurge::TxClear | AfPurge::RxClear);
    }
    if (writeThread_) {
        writeThread_->Stop();
        writeThread_.reset();
    }
    if (eventThread_) {
        eventThread_->Stop();
        eventThread_.reset();
    }
    device_.Close();
}

void TAfComPortCore::SetLineSettings(const TAfLineSettings& record)
{
    lineSettings_ = record;
    if (!Running.load())
        return;
    if (!device_.SetLineSettings(lineSettings_)) {
        device_.GetLineSettings(lineSettings_);
        throw EAfComPortCoreError(QStringLiteral("Error setting parameters from DCB"));
    }
}

void TAfComPortCore::SetEventThreadPriority(TThreadPriority p)
{
    eventThreadPriority_ = p;
    if (Running.load() && eventThread_)
        eventThread_->SetPriority(p);
}

void TAfComPortCore::SetWriteThreadPriority(TThreadPriority p)
{
    writeThreadPriority_ = p;
    if (Running.load() && writeThread_)
        writeThread_->SetPriority(p);
}

void TAfComPortCore::SetEventMask(uint32_t mask)
{
    eventMask_ = mask;
    if (Running.load())
        device_.SetEventMask(mask);
}

bool TAfComPortCore::QueueOutput(const char* data, int32_t count)
{
    if (!Running.load() || !writeThread_ || device_.Lost())
        return false;
    return writeThread_->Enqueue(data, count);
}

int32_t TAfComPortCore::ReadInput(char* buffer, int32_t count)
{
    if (!Running.load() || !eventThread_)
        return -1;
    std::lock_guard<std::mutex> lock(ReceiveLock);
    return eventThread_->ReadAvailable(buffer, count);
}

TAfQueueStatus TAfComPortCore::InputStatus()
{
    TAfQueueStatus status;
    if (!Running.load())
        return status;
    std::lock_guard<std::mutex> lock(ReceiveLock);
    device_.Status(status);
    LineErrors |= status.Errors;
    return status;
}

uint32_t TAfComPortCore::TakeLineErrors()
{
    if (!Running.load())
        return 0;
    std::lock_guard<std::mutex> lock(ReceiveLock);
    const uint32_t errors = LineErrors;
    LineErrors = 0;
    return errors;
}

int32_t TAfComPortCore::OutputFree()
{
    if (!Running.load() || !writeThread_ || device_.Lost())
        return 0;
    return writeThread_->FreeSpace();
}

bool TAfComPortCore::Escape(int code)
{
    return Running.load() && device_.Escape(code);
}
