#include "displayloss.h"

#include <QString>
#include <QtGlobal>
#include <mutex>

namespace {

std::function<void()> s_saveNow;
QtMessageHandler s_previous = nullptr;
std::mutex s_saving;
bool s_saved = false;

// Qt 6's xcb and Wayland plug-ins, word for word: "The X11 connection broke
// (error %d)...", "The X11 connection broke: %s...", "The Wayland connection
// broke..." and "The Wayland connection experienced a fatal error: %s".
bool announcesDisplayLoss(QtMsgType type, const QString &message)
{
    return type == QtWarningMsg
           && (message.startsWith(QLatin1String("The X11 connection broke"))
               || message.startsWith(QLatin1String("The Wayland connection")));
}

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (s_previous)
        s_previous(type, context, message);
    if (!announcesDisplayLoss(type, message))
        return;
    // The Wayland plug-in hears of the loss on its event thread and on the main
    // thread at once, and either ends the process as soon as its warning
    // returns: whichever comes second waits here until the first has saved.
    // Qt hands a message that the save itself gives straight to stderr.
    const std::lock_guard<std::mutex> lock(s_saving);
    if (s_saveNow && !s_saved) {
        s_saved = true;
        s_saveNow();
    }
}

} // namespace

DisplayLossGuard::DisplayLossGuard(std::function<void()> saveNow)
{
    s_saveNow = std::move(saveNow);
    s_previous = qInstallMessageHandler(messageHandler);
}

DisplayLossGuard::~DisplayLossGuard()
{
    qInstallMessageHandler(s_previous);
    const std::lock_guard<std::mutex> lock(s_saving);
    s_saveNow = nullptr;
}
