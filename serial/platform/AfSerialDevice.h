#pragma once
// The device operations the port engine needs, on POSIX termios (Linux). Only this folder
// touches the operating system's device.
//
// Thread contract: Open/Close/SetLineSettings/GetLineSettings/Escape run on the user-interface
// thread while no worker uses the device or concurrently with them (ioctls are atomic in the
// kernel). WaitEvent runs on the event thread only; Write/WaitWritable on the write thread
// only. Read and Status are called under the engine's ReceiveLock. Wake* and SetEventMask may
// be called from any thread.
#include "AfLineSettings.h"
#include "AfUtils.h"
#include "AfWakeFd.h"

#include <QString>

#include <atomic>
#include <cstdint>

#include <linux/serial.h>

// Event bits reported by WaitEvent (the engine's event mask uses the same values).
namespace AfEv {
constexpr uint32_t RxChar = 0x0001;
constexpr uint32_t Cts = 0x0008;
constexpr uint32_t Dsr = 0x0010;
constexpr uint32_t Rlsd = 0x0020;
constexpr uint32_t Err = 0x0080;
constexpr uint32_t Ring = 0x0100;
} // namespace AfEv

// Line-error bits reported by Status.
namespace AfCe {
constexpr uint32_t RxOver = 0x0001;
constexpr uint32_t Overrun = 0x0002;
constexpr uint32_t RxParity = 0x0004;
constexpr uint32_t Frame = 0x0008;
constexpr uint32_t Break = 0x0010;
} // namespace AfCe

// Purge flags.
namespace AfPurge {
constexpr uint32_t TxAbort = 0x0001;
constexpr uint32_t RxAbort = 0x0002;
constexpr uint32_t TxClear = 0x0004;
constexpr uint32_t RxClear = 0x0008;
} // namespace AfPurge

// Escape codes.
namespace AfEscape {
constexpr int SetRts = 3;
constexpr int ClrRts = 4;
constexpr int SetDtr = 5;
constexpr int ClrDtr = 6;
} // namespace AfEscape

struct TAfQueueStatus {
    uint32_t Errors = 0;
    uint32_t InQueue = 0;
    uint32_t OutQueue = 0;
};

enum class TAfWaitResult { Events, Woken, Timeout, Failed };

class TAfSerialDevice {
public:
    TAfSerialDevice();
    ~TAfSerialDevice();
    TAfSerialDevice(const TAfSerialDevice&) = delete;
    TAfSerialDevice& operator=(const TAfSerialDevice&) = delete;

    // Opens the device for reading and writing, exclusively (TIOCEXCL and a non-blocking
    // flock), without becoming its controlling terminal and without waiting for carrier.
    bool Open(const QString& path, TAfOpenFailure& failure, int& sysError);
    bool IsOpen() const { return fd_ >= 0; }
    bool Close();

    // Reads return at once with what is waiting; writes have no time limit.
    bool SetTimeouts();
    // The kernel's queues have fixed sizes; the sizes are accepted and kept for reference.
    bool SetQueueSizes(int32_t inQueue, int32_t outQueue);
    bool SetLineSettings(const TAfLineSettings& record);
    bool GetLineSettings(TAfLineSettings& record) const;

    // A mask of 0 ends the wait in progress; WaitEvent then reports Events with no bits.
    void SetEventMask(uint32_t mask);
    // Waits up to timeoutMs for an event of the mask or WakeEventWait. The received-character
    // event is edge-like: input that stays unread is announced once, and again only when more
    // arrives. A device that hangs up is marked lost and no longer waited on.
    TAfWaitResult WaitEvent(int timeoutMs, uint32_t& bits);
    // Waits only for WakeEventWait (used once device events are no longer wanted).
    TAfWaitResult WaitWake(int timeoutMs);
    void WakeEventWait() { eventWake_.Wake(); }

    // Bytes delivered (0 when nothing waits or on failure).
    int32_t Read(char* buffer, int32_t count);
    // Bytes written; 0 when the device cannot take more now; -1 on failure.
    int32_t Write(const char* data, int32_t count);
    // Waits until the device can take more (true) or WakeWriter was called (false).
    bool WaitWritable();
    void WakeWriter() { writeWake_.Wake(); }

    // Line errors since the last call, and the queue counts.
    bool Status(TAfQueueStatus& status);
    bool Purge(uint32_t flags);
    bool Escape(int code);

    // The device went away while open (hang-up, EIO, ENXIO).
    bool Lost() const { return lost_.load(); }

private:
    void MarkLost() { lost_.store(true); }
    uint32_t InputCount() const;
    uint32_t CheckLines(); // modem-line and line-error changes as event bits

    int fd_ = -1;
    std::atomic<uint32_t> mask_{0};
    std::atomic<bool> lost_{false};
    std::atomic<uint64_t> totalRead_{0};
    TAfWakeFd eventWake_;
    TAfWakeFd writeWake_;
    int32_t inQueueSize_ = 0;
    int32_t outQueueSize_ = 0;

    // Event thread only.
    uint64_t announcedTotal_ = 0; // bytes received (read + waiting) when last announced
    bool modemKnown_ = true;
    int lastModem_ = 0;
    bool icountKnown_ = true;
    serial_icounter_struct lastEventCount_{};
    // Under ReceiveLock.
    bool statusCountKnown_ = true;
    serial_icounter_struct lastStatusCount_{};
};

// Applies a baud rate outside the B-constants (termios2); in AfTermios2.cpp.
bool AfSetCustomBaudRate(int fd, uint32_t rate);
uint32_t AfGetBaudRate(int fd);
