#pragma once

#include <QString>

// The calculator's display text for a number.
QString FormatNumber(double value);
