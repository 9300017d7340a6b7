#pragma once

// Whether the program starts when the user logs on: an XDG autostart entry named
// after the installed desktop entry (~/.config/autostart/), or the value
// "Mochiten" under HKCU\Software\Microsoft\Windows\CurrentVersion\Run. The entry
// itself is the setting; nothing else records it.
bool startsAtLogon();

// Makes or removes the entry. False, with the reason on stderr, when that failed.
bool setStartsAtLogon(bool on);
