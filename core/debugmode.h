#pragma once

// True when the program was started with the "/debug" switch: no single-instance
// lock, the normally hidden main window is shown, and the About box says so.
extern bool DebugMode;
