#include "AfCircularBuffer.h"

#include <algorithm>
#include <cstring>

TAfCircularBuffer::TAfCircularBuffer(int32_t size)
    : storage_(new char[std::max<int32_t>(size, 1)]), size_(std::max<int32_t>(size, 0))
{
}

void TAfCircularBuffer::Clear()
{
    readPos_ = 0;
    writePos_ = 0;
    full_ = false;
}

int32_t TAfCircularBuffer::Used() const
{
    if (full_)
        return size_;
    return writePos_ >= readPos_ ? writePos_ - readPos_ : writePos_ + size_ - readPos_;
}

int32_t TAfCircularBuffer::ContiguousUsed() const
{
    if (full_)
        return size_ - readPos_;
    return writePos_ >= readPos_ ? writePos_ - readPos_ : size_ - readPos_;
}

bool TAfCircularBuffer::Remove(int32_t count)
{
    if (count < 0 || count > Used())
        return false;
    readPos_ = Advance(readPos_, count);
    if (count > 0)
        full_ = false;
    return true;
}

bool TAfCircularBuffer::Write(const char* data, int32_t count)
{
    if (count < 1 || FreeSpace() < count)
        return false;
    const int32_t first = std::min(count, size_ - writePos_);
    std::memcpy(storage_.get() + writePos_, data, first);
    if (count > first)
        std::memcpy(storage_.get(), data + first, count - first);
    writePos_ = Advance(writePos_, count);
    full_ = readPos_ == writePos_;
    return true;
}
