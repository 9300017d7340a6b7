#include "startup.h"

#include "application.h"
#include "controller.h"
#include "platform.h"
#include "signalwatcher.h"
#include "singleinstance.h"

QString commandLineText(const QStringList &arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

bool isDebugSwitch(const QString &commandLine)
{
    return commandLine.compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0;
}

static QStringList rawArguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

int runMochiten(int argc, char **argv)
{
    // Before anything that can take time: a logout or "kill" during the start
    // must end the program, not find it half-built without handlers.
    SignalWatcher::installHandlers();
    const bool debugMode = isDebugSwitch(commandLineText(rawArguments(argc, argv)));

    SingleInstance instance;
    if (!debugMode && !instance.acquire()) {
        // Exit at once and silently; the running instance decides whether it has
        // to bring its calculator forward (it may have no tray icon to reach).
        instance.notifyRunningInstance(argc, argv);
        return 1;
    }

    const bool platformChosen = choosePlatformPlugin();
    MochitenApplication app(argc, argv);
    if (platformChosen) // the browser that help links start chooses for itself
        qunsetenv("QT_QPA_PLATFORM");
    installJapaneseFontSubstitutes();

    try {
        Controller controller({debugMode});
        // From here on a logout, "kill" or Ctrl+C leaves the way Exit does, with the
        // settings saved.
        SignalWatcher signalWatcher([&controller] { controller.exit(); });
        if (!debugMode)
            instance.listen(&controller, [&controller] { controller.secondStartRequested(); });
        return app.exec();
    } catch (const std::exception &e) {
        MochitenApplication::showException(e);
        return 0;
    }
}
