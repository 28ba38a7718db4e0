#pragma once
// A wake-up descriptor (Linux eventfd) that poll() can wait on beside a device; Wake() may be
// called from any thread, Drain() by the thread that polls.
class TAfWakeFd {
public:
    TAfWakeFd();
    ~TAfWakeFd();
    TAfWakeFd(const TAfWakeFd&) = delete;
    TAfWakeFd& operator=(const TAfWakeFd&) = delete;

    int Fd() const { return fd_; }
    void Wake();
    void Drain();

private:
    int fd_;
};
