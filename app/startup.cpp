#include "startup.h"

#include "application.h"
#include "displayloss.h"
#include "platform.h"
#include "signalwatcher.h"
#include "singleinstance.h"

#include "Formmain.h"
#include "Formcalc.h"
#include "Formlog.h"
#include "Formsetup.h"
#include "about.h"

#include <QCoreApplication>
#include <initializer_list>
#include <memory>

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

void createForms()
{
    // The order matters: the main window loads the settings that the
    // calculator and the log window read when they are created.
    form_Main = new Tform_Main;
    form_Calc = new Tform_Calc;
    form_Log = new Tform_Log;
    form_Setup = new Tform_Setup;
    form_About = new Tform_About;
    for (QWidget *window : std::initializer_list<QWidget *>{form_Calc, form_Log, form_Setup, form_About})
        form_Main->shareHelpKeyWith(window);
}

void destroyForms()
{
    delete form_About;
    form_About = nullptr;
    delete form_Setup;
    form_Setup = nullptr;
    delete form_Log;
    form_Log = nullptr;
    delete form_Calc;
    form_Calc = nullptr;
    delete form_Main;
    form_Main = nullptr;
}

int runMochiten(int argc, char **argv)
{
    // Before anything that can take time: a logout or "kill" during the start
    // must end the program, not find it half-built without handlers.
    SignalWatcher::installHandlers();
    DebugMode = isDebugSwitch(commandLineText(rawArguments(argc, argv)));

    SingleInstance instance;
    if (!DebugMode && !instance.acquire()) {
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

    int code = 0;
    try {
        createForms();
        // From here on a logout, "kill" or Ctrl+C leaves the way Exit does, with the
        // settings saved.
        SignalWatcher signalWatcher([] { form_Main->act_Exit->trigger(); });
        // A display that dies takes the process with it, through Qt: what Exit
        // would store is saved first, without ending (Qt does that).
        DisplayLossGuard displayLoss([] { form_Main->commitSessionData(); });
        if (!DebugMode)
            instance.listen(form_Main, [] { form_Main->secondStartRequested(); });
        if (DebugMode)
            form_Main->show();
        // Without a tray to hold our icon, nothing else would lead to the program.
        form_Main->showCalculatorIfUnreachable();

        code = app.exec();
    } catch (const std::exception &e) {
        MochitenApplication::showException(e);
        code = 0;
    }

    destroyForms();
    return code;
}
