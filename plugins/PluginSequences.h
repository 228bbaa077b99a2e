#pragma once

#include <QString>
#include <optional>

class QWidget;

// The four ways the program uses a plug-in library. Each loads the library
// from its full path and unloads it before returning, so no library stays
// loaded between them; texts are copied before the unload. A library that
// does not load is passed over without a message. An exception that a
// plug-in lets escape is caught while its library is still loaded and
// rethrown afterwards as a UserError with the exception's text. UI thread only.

// What the program knows of a plug-in once the library has gone again.
struct PluginIdentity
{
    QString name;
    QString description; // empty when the library has no PluginDescr
    QString version; // empty when it has no PluginVersion, or was not asked for
};

// The objects a plug-in may be handed, by its type word. Owned by the caller;
// they only need to live for the call.
struct PluginArguments
{
    QWidget* form = nullptr; // FORM: the main window
    QWidget* grid1 = nullptr; // GRID1: the contacts grid
    QWidget* grid2 = nullptr; // GRID2: the contact-info grid
    QWidget* grid3 = nullptr; // GRID3: the call-history grid
    QString connectionString; // DATA and KOLDATA
};

enum class PluginVersionQuery
{
    Skip,
    Read
};

// Identification (the menu, PluginVersion skipped) and listing (the options
// dialog, PluginVersion read). Nothing when the library does not load; nothing
// and the message "dll is not identified." when it has no PluginName.
std::optional<PluginIdentity> identifyPlugin(const QString& path, PluginVersionQuery version);

// Invocation: dispatches by the type word and waits in the call. A library
// that does not load, has no PluginType, returns an unknown word or lacks the
// entry point its word names runs nothing.
void invokePlugin(const QString& path, const PluginArguments& arguments);

enum class PluginAboutOutcome
{
    NotLoaded, // the library does not load: show nothing
    ShownByPlugin, // PluginAbout was called
    ShowHostDialog, // no PluginAbout: the program shows its own About
};

// About: calls PluginAbout with the options dialog when the library has it.
PluginAboutOutcome showPluginAbout(const QString& path, QWidget* optionsDialog);
