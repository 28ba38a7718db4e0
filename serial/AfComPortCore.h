#pragma once
// The port engine: opens the device, applies the line, runs the event thread (announces device
// events and polls the input queue every 200 ms) and the write thread (sends the output ring
// buffer), and shuts both down in a fixed order.
//
// Thread contract:
// - user-interface thread: every public operation of TAfComPortCore (open, close, settings,
//   QueueOutput, ReadInput, InputStatus, TakeLineErrors, OutputFree, Escape).
// - event thread: WaitEvent on the device, InputStatus for its poll, the event callback.
// - write thread: device writes from the ring buffer.
// - ReceiveLock guards device reads, the status query and LineErrors; SendLock guards the ring
//   buffer (never held during a device write). The only nesting is none: the shutdown takes
//   ReceiveLock just for the purge and releases it before any worker is stopped, so an event
//   thread that is about to take it for its poll cannot lock up the shutdown.
#include "AfCircularBuffer.h"
#include "AfLineSettings.h"
#include "AfSerialDevice.h"
#include "AfSignal.h"
#include "AfUtils.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TAfComPortCore;

// Kind and data of an engine event; fault holds the exception of a ceWorkerFault.
using TAfCoreEventCallback =
    std::function<void(TAfComPortCore& core, TAfCoreEvent kind, uint32_t data, std::exception_ptr fault)>;

class TAfComPortCoreThread {
public:
    TAfComPortCoreThread(TAfComPortCore& core, std::shared_ptr<TAfSignalHub> hub);
    virtual ~TAfComPortCoreThread();
    TAfComPortCoreThread(const TAfComPortCoreThread&) = delete;
    TAfComPortCoreThread& operator=(const TAfComPortCoreThread&) = delete;

    void SetPriority(TThreadPriority priority);
    // Ends the thread and waits for it; on the user-interface thread the wait keeps running
    // the calls that workers send there, so that a worker blocked in one can finish.
    virtual void Stop();

protected:
    void Start();
    virtual void Execute() = 0;
    virtual void HandleFault(std::exception_ptr fault);
    bool Terminated() const { return terminated_.load(); }

    TAfComPortCore& Core;
    TAfSerialDevice& Handle;
    TAfSignal StopSignal;

private:
    void Run();

    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<int> tid_{0};
    std::thread thread_;
};

class TAfComPortEventThread : public TAfComPortCoreThread {
public:
    explicit TAfComPortEventThread(TAfComPortCore& core);
    ~TAfComPortEventThread() override;
    void Stop() override;
    int32_t ReadAvailable(char* buffer, int32_t count);

protected:
    void Execute() override;
    void HandleFault(std::exception_ptr fault) override;

private:
    void Notify(TAfCoreEvent kind, uint32_t data);

    TAfCoreEventCallback Callback;
    std::atomic<bool> callbackOn_{true};
};

class TAfComPortWriteThread : public TAfComPortCoreThread {
public:
    TAfComPortWriteThread(TAfComPortCore& core, std::shared_ptr<TAfSignalHub> hub);
    ~TAfComPortWriteThread() override;
    void Stop() override;
    bool Enqueue(const char* data, int32_t count); // all or nothing
    // Abort handshake (2000 ms), then empties the buffer and purges the device's output.
    bool AbortOutput();
    int32_t FreeSpace() const; // under SendLock

protected:
    void Execute() override;

private:
    void SendOutput();

    TAfSignal AbortAck;
    TAfSignal AbortRequest;
    TAfSignal DataQueued;
    TAfCircularBuffer Output;
};

class TAfComPortCore {
public:
    TAfComPortCore();
    ~TAfComPortCore();
    TAfComPortCore(const TAfComPortCore&) = delete;
    TAfComPortCore& operator=(const TAfComPortCore&) = delete;

    // False (and nothing done) when already open; raises EAfComPortCoreError on failure.
    bool OpenPort(int32_t number);
    void ClosePort();
    bool IsOpen() const { return Opened; }
    int32_t PortNumber() const { return portNumber_; }

    void SetEventCallback(TAfCoreEventCallback callback) { EventCallback = std::move(callback); }
    // Stored; applied at once while running (refused: LineSettings() reads back the device's
    // settings and "Error setting parameters from DCB" is raised).
    void SetLineSettings(const TAfLineSettings& record);
    const TAfLineSettings& LineSettings() const { return lineSettings_; }
    void SetInQueueSize(int32_t size) { inQueueSize_ = size; }
    void SetOutQueueSize(int32_t size) { outQueueSize_ = size; }
    void SetEventThreadPriority(TThreadPriority p);
    void SetWriteThreadPriority(TThreadPriority p);
    // The device events waited for (default 0x01B9); 0 ends device waits for good.
    void SetEventMask(uint32_t mask);

    bool QueueOutput(const char* data, int32_t count);
    int32_t ReadInput(char* buffer, int32_t count); // -1 when not running
    TAfQueueStatus InputStatus();
    uint32_t TakeLineErrors();
    int32_t OutputFree();
    bool Escape(int code);
    // The device went away while open (USB cable pulled, peer of a pseudo-terminal gone).
    bool DeviceLost() const { return Running.load() && device_.Lost(); }

private:
    friend class TAfComPortCoreThread;
    friend class TAfComPortEventThread;
    friend class TAfComPortWriteThread;

    void Shutdown();
    template <class Thread, class... Args>
    void StartThread(std::unique_ptr<Thread>& slot, TThreadPriority priority, Args&&... args);

    std::atomic<bool> Running{false};
    int32_t portNumber_ = 0;
    TAfLineSettings lineSettings_;
    uint32_t eventMask_ = 0x01B9;
    TAfSerialDevice device_;
    bool Opened = false;
    uint32_t LineErrors = 0;
    int32_t inQueueSize_ = 8192;
    int32_t outQueueSize_ = 4096;
    TAfCoreEventCallback EventCallback;
    std::mutex ReceiveLock;
    std::mutex SendLock;
    std::unique_ptr<TAfComPortEventThread> eventThread_;
    TAfSignal ThreadStarted{true};
    TAfSignal OutputDone{true};
    std::unique_ptr<TAfComPortWriteThread> writeThread_;
    TThreadPriority writeThreadPriority_ = tpHigher;
    TThreadPriority eventThreadPriority_ = tpNormal;
};
