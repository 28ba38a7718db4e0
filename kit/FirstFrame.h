#pragma once
#include <functional>

class QWidget;

namespace kva {

// Runs `task` once, from the event loop, right after the window has painted for the first time:
// work the first look of the window does not need waits until the window is on the screen.
void afterFirstFrame(QWidget& window, std::function<void()> task);

// For the start-up benchmark (bench/startup): when the environment variable
// KVA271_EXIT_AT_FIRST_FRAME is set, the program prints "first-frame WxH" (the window's size) on
// standard output once the window has painted for the first time and ends without saving
// anything. Otherwise nothing.
void exitAtFirstFrameIfAsked(QWidget& window);

} // namespace kva
