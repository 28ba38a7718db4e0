#pragma once
// Fixed-size byte ring buffer; the whole capacity is usable. No locking of its own: the
// engine guards it with its SendLock.
#include <cstdint>
#include <memory>

class TAfCircularBuffer {
public:
    explicit TAfCircularBuffer(int32_t size);

    void Clear();
    int32_t Size() const { return size_; }
    int32_t Used() const;
    int32_t FreeSpace() const { return size_ - Used(); }
    // Bytes readable from ReadPos without wrapping.
    int32_t ContiguousUsed() const;
    const char* ReadPointer() const { return storage_.get() + readPos_; }
    // count > Used: false, nothing changes.
    bool Remove(int32_t count);
    // All or nothing: count < 1 or too little room gives false and stores nothing.
    bool Write(const char* data, int32_t count);

    int32_t ReadPos() const { return readPos_; }
    int32_t WritePos() const { return writePos_; }
    bool Full() const { return full_; }

private:
    int32_t Advance(int32_t index, int32_t n) const { return index + n < size_ ? index + n : index + n - size_; }

    std::unique_ptr<char[]> storage_;
    int32_t size_;
    int32_t readPos_ = 0;
    int32_t writePos_ = 0;
    bool full_ = false;

};
