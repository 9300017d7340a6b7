#pragma once

#include <QString>
#include <QtGlobal>

// The text naming the Windows platform for three fields of its version record.
// A platform id the table does not know keeps the previous text.
QString windowsVersionText(quint32 platformId, quint32 minorVersion, quint32 buildNumber,
                       const QString &previous);
