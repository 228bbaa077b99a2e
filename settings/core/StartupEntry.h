#pragma once

#include <QString>

// The program's start-up entry ("run at log-on"). Where a registry exists it
// is the value "Orvanta Light" under the machine's Run key; here it is an XDG
// autostart entry, "<config>/autostart/orvanta-light.desktop", whose Exec line
// starts the program file with no arguments. Both writing and removing fail
// with "Failed to set data for 'Orvanta Light'" when the folder or the file
// refuses the change.
class StartupEntry
{
public:
    explicit StartupEntry(const QString& configHome);

    QString filePath() const;
    bool exists() const;
    // The program the entry starts, as it was written; empty when there is no
    // entry or it has no Exec line.
    QString program() const;

    void write(const QString& programPath) const;
    // Nothing to do when there is no entry.
    void remove() const;
    // Writes the entry when checked and removes it otherwise, so it exists
    // exactly while the option is checked.
    void apply(bool checked, const QString& programPath) const;

    // The Exec value for a program path: quoted as the desktop entry format
    // asks when the path holds a blank or another reserved character, with
    // percent signs doubled and the key file's own escapes applied.
    static QString execValue(const QString& programPath);
    // The program path back from an Exec value (its first argument).
    static QString programFromExec(const QString& value);

private:
    QString m_configHome;
};
