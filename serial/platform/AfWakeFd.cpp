#include "AfWakeFd.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

TAfWakeFd::TAfWakeFd() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

TAfWakeFd::~TAfWakeFd()
{
    if (fd_ >= 0)
        close(fd_);
}

void TAfWakeFd::Wake()
{
    const uint64_t one = 1;
    // A full counter (EAGAIN) already means "woken".
    [[maybe_unused]] ssize_t r = write(fd_, &one, sizeof one);
}

void TAfWakeFd::Drain()
{
    uint64_t value;
    [[maybe_unused]] ssize_t r = read(fd_, &value, sizeof value);
}
