#include "signalwatcher.h"

// Windows delivers no such signals to a GUI program; the session's end arrives
// as a window message, which Qt turns into commitDataRequest.
bool SignalWatcher::installHandlers()
{
    return false;
}

SignalWatcher::SignalWatcher(std::function<void()> onSignal, QObject *parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
}

SignalWatcher::~SignalWatcher() = default;

void SignalWatcher::readSignals() {}
