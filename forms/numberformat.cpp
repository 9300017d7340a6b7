#include "numberformat.h"

QString FormatNumber(double value)
{
    return QString::number(value, 'g', 15);
}
