#include "startup.h"

#include "application.h"
#include "controller.h"
#include "displayloss.h"
#include "platform.h"
#include "signalwatcher.h"
#include "singleinstance.h"
#include "version.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

QString commandLineText(const QStringList &arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

bool isDebugSwitch(const QString &commandLine)
{
    return commandLine.compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0;
}

QString commandLineAnswer(const QString &commandLine)
{
    if (commandLine == QLatin1String("--version"))
        return QStringLiteral("Mochiten " MOCHITEN_VERSION_STRING "\n");
    if (commandLine == QLatin1String("--help"))
        return QStringLiteral(
            "Usage: mochiten [/debug | --help | --version]\n"
            "A calculator that lives in the notification area of the task bar.\n"
            "Started again, it brings its calculator forward.\n\n"
            "  /debug     run beside a running instance and show the main window\n"
            "  --help     show this help and exit\n"
            "  --version  show the version and exit\n");
    return QString();
}

static QStringList rawArguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

// Qt's messages while the application object is made. Without a display Qt ends
// the process with a fatal message and a core dump; this says so in one line and
// exits 1. Other messages are held and passed on once the display is open.
static QtMessageHandler s_previousHandler = nullptr;
struct HeldMessage
{
    QtMsgType type;
    const char *file, *function, *category; // Qt's own static strings
    int line;
    QString text;
};
static QList<HeldMessage> s_heldMessages;

static void startupMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        s_heldMessages.append({type, context.file, context.function, context.category, context.line, message});
        return;
    }
    const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
    std::fprintf(stderr, "Mochiten: no display to open (DISPLAY=%s, WAYLAND_DISPLAY=%s)\n",
                 display.isEmpty() ? "(unset)" : display.constData(), wayland.isEmpty() ? "(unset)" : wayland.constData());
    std::_Exit(1);
}

static void releaseStartupMessages()
{
    qInstallMessageHandler(s_previousHandler);
    for (const HeldMessage &m : std::as_const(s_heldMessages))
        qt_message_output(m.type, QMessageLogContext(m.file, m.line, m.function, m.category), m.text);
    s_heldMessages.clear();
}

int runMochiten(int argc, char **argv)
{
    const QString commandLine = commandLineText(rawArguments(argc, argv));
    if (const QString answer = commandLineAnswer(commandLine); !answer.isEmpty()) {
        std::fputs(answer.toLocal8Bit().constData(), stdout);
        return 0;
    }
    // Before anything that can take time: a logout or "kill" during the start
    // must end the program, not find it half-built without handlers.
    SignalWatcher::installHandlers();
    const bool debugMode = isDebugSwitch(commandLine);

    SingleInstance instance;
    if (!debugMode && !instance.acquire()) {
            // Exit at once and silently; the running instance brings its calculator forward.
        instance.notifyRunningInstance(argc, argv);
        return 1;
    }

    const bool platformChosen = choosePlatformPlugin();
    s_previousHandler = qInstallMessageHandler(startupMessageHandler);
    MochitenApplication app(argc, argv);
    releaseStartupMessages();
    if (platformChosen) // the browser that help links start chooses for itself
        qunsetenv("QT_QPA_PLATFORM");
    installJapaneseFontSubstitutes();

    try {
        Controller controller({debugMode});
        // From here on a logout, "kill" or Ctrl+C leaves the way Exit does, with the
        // settings saved.
        SignalWatcher signalWatcher([&controller] { controller.exit(); });
        // A display that dies takes the process with it, through Qt: what Exit
        // would store is saved first, without ending (Qt does that).
        DisplayLossGuard displayLoss([&controller] { controller.commitSessionData(); });
        if (!debugMode)
            instance.listen(&controller, [&controller] { controller.secondStartRequested(); });
        return app.exec();
    } catch (const std::exception &e) {
        MochitenApplication::showException(e);
        return 0;
    }
}
