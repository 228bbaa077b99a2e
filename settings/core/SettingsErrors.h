#pragma once

#include <QString>

// The settings store's own error texts; each names the value concerned.
namespace SettingsErrors {

inline QString invalidDataType(const QString& name)
{
    return QStringLiteral("Invalid data type for '%1'").arg(name);
}

inline QString failedToGetData(const QString& name)
{
    return QStringLiteral("Failed to get data for '%1'").arg(name);
}

inline QString failedToSetData(const QString& name)
{
    return QStringLiteral("Failed to set data for '%1'").arg(name);
}

} // namespace SettingsErrors
