#include "StartupEntry.h"

#include "SettingNames.h"
#include "SettingsErrors.h"
#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>

namespace {

const QString kReservedInExec = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

[[noreturn]] void refuse()
{
    throw UserError(SettingsErrors::failedToSetData(SettingNames::kStartupEntryName));
}

// The key file's escapes for a string value.
QString escapeString(const QString& text)
{
    QString result;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            result += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            result += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            result += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            result += QStringLiteral("\\r");
        else
            result += c;
    }
    return result;
}

QString unescapeString(const QString& text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            result += c;
            continue;
        }
        const QChar next = text.at(++i);
        if (next == QLatin1Char('s'))
            result += QLatin1Char(' ');
        else if (next == QLatin1Char('n'))
            result += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            result += QLatin1Char('\t');
        else if (next == QLatin1Char('r'))
            result += QLatin1Char('\r');
        else if (next == QLatin1Char('\\'))
            result += QLatin1Char('\\');
        else
            result += QLatin1Char('\\') + next;
    }
    return result;
}

} // namespace

StartupEntry::StartupEntry(const QString& configHome)
    : m_configHome(configHome)
{ }

QString StartupEntry::filePath() const
{
    return m_configHome + QStringLiteral("/autostart/orvanta-light.desktop");
}

bool StartupEntry::exists() const
{
    const QFileInfo info(filePath());
    return info.exists() || info.isSymLink();
}

QString StartupEntry::program() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inEntryGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntryGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inEntryGroup && equals > 0 && line.left(equals).trimmed() == QLatin1String("Exec"))
            return programFromExec(line.mid(equals + 1).trimmed());
    }
    return {};
}

void StartupEntry::write(const QString& programPath) const
{
    if (programPath.isEmpty())
        refuse();
    if (!QDir().mkpath(QFileInfo(filePath()).absolutePath()))
        refuse();
    const QByteArray content = QStringLiteral("[Desktop Entry]\n"
                                              "Type=Application\n"
                                              "Name=%1\n"
                                              "Exec=%2\n")
                                   .arg(SettingNames::kStartupEntryName, execValue(programPath))
                                   .toUtf8();
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        refuse();
}

void StartupEntry::remove() const
{
    // A removal that fails must not pass for done: the program would go on
    // starting at log-on against the user's choice.
    if (exists() && !QFile::remove(filePath()))
        refuse();
}

void StartupEntry::apply(bool checked, const QString& programPath) const
{
    if (checked)
        write(programPath);
    else
        remove();
}

QString StartupEntry::execValue(const QString& programPath)
{
    QString argument = programPath;
    const bool needsQuotes = std::any_of(programPath.begin(), programPath.end(),
                                         [](QChar c) { return kReservedInExec.contains(c); });
    if (needsQuotes) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : programPath) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
                || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        argument = quoted + QLatin1Char('"');
    }
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return escapeString(argument);
}

QString StartupEntry::programFromExec(const QString& value)
{
    const QString exec = unescapeString(value);
    QString argument;
    if (exec.startsWith(QLatin1Char('"'))) {
        for (qsizetype i = 1; i < exec.size(); ++i) {
            QChar c = exec.at(i);
            if (c == QLatin1Char('"'))
                break;
            // Inside quotes a backslash escapes only these, as in the shell.
            if (c == QLatin1Char('\\') && i + 1 < exec.size()
                && QStringLiteral("\"`$\\").contains(exec.at(i + 1)))
                c = exec.at(++i);
            argument += c;
        }
    } else {
        const qsizetype blank = exec.indexOf(QLatin1Char(' '));
        argument = blank < 0 ? exec : exec.left(blank);
    }
    return argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
}
