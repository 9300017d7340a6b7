#pragma once

#include <QString>
#include <QStringList>

// The argument text after the program's path, as Windows hands it to WinMain.
// Elsewhere the arguments are joined by single blanks.
QString commandLineText(const QStringList &arguments);

// The switch counts only when the whole text is "/debug", in any letter case.
bool isDebugSwitch(const QString &commandLine);

// What "--help" and "--version" print; empty for any other command line, which
// starts the program.
QString commandLineAnswer(const QString &commandLine);

// The whole life of the program; returns the process exit code.
int runMochiten(int argc, char **argv);
