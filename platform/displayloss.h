#pragma once

#include <functional>

// When the connection to the X server or the Wayland compositor breaks, Qt ends
// the process itself (exit(1) or _exit(1), straight after a warning), so no exit
// sequence of ours would run and whatever changed since the start would be lost.
// That warning is the last thing the program hears: while a guard lives, it runs
// saveNow from the message handler, once, before Qt ends the process. saveNow
// must not use the window system (it is gone), run an event loop or wait long;
// on Wayland it may run on the plug-in's event thread, not the main thread.
class DisplayLossGuard
{
public:
    explicit DisplayLossGuard(std::function<void()> saveNow);
    ~DisplayLossGuard();
    DisplayLossGuard(const DisplayLossGuard &) = delete;
    DisplayLossGuard &operator=(const DisplayLossGuard &) = delete;
};
