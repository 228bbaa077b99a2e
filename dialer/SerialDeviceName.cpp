#include "SerialDeviceName.h"

#include <QRegularExpression>

namespace {

constexpr int kLastPortNumber = 96;

QString deviceOfPortNumber(int number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

bool isDevicePath(const QString& name)
{
#ifdef Q_OS_WIN
    return name.startsWith(QLatin1String("\\\\"));
#else
    return name.startsWith(u'/');
#endif
}

} // namespace

QString serialDeviceName(const QString& portName)
{
    if (isDevicePath(portName))
        return portName;

    static const QRegularExpression numbered(QStringLiteral("^(?:COM)?([0-9]{1,2})$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = numbered.match(portName);
    if (match.hasMatch()) {
        const int number = match.captured(1).toInt();
        if (number >= 1 && number <= kLastPortNumber)
            return deviceOfPortNumber(number);
    }
    return deviceOfPortNumber(1);
}
