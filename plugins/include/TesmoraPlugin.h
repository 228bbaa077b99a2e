/*
 * The whole contract between the program and its plug-ins, for both sides.
 * Plain C, so a plug-in may be written in C or in C++ (with or without Qt); a
 * plug-in needs nothing of the program but this header.
 *
 * A plug-in is a shared library (".so" on Linux, ".dll" on Windows) placed in
 * the folder "Plugins" beside the program file. It exports, by these exact
 * names, some of the seven entry points declared below, all with C linkage and
 * the platform's ordinary C calling convention. Only PluginName is needed for
 * the library to count as a plug-in; PluginType and the entry point its type
 * word names are needed for it to do anything. The program never calls an
 * entry point that the library does not export.
 *
 * Lifetime. The program loads the library afresh for every use (listing it in
 * the menu, listing it in the options dialog, showing its About, running it)
 * and unloads it when that use ends, so every run starts with fresh static
 * state and nothing a plug-in keeps in memory survives to the next run. A C++
 * plug-in built with GCC should be compiled with -fno-gnu-unique (the build's
 * orvanta_add_plugin does so): an exported "unique" symbol (an inline or
 * template static, as Qt's headers have) keeps the library from ever being
 * unloaded, and its statics would leak into later runs.
 *
 * Text. Every text, in both directions, is a pointer to NUL-terminated UTF-8.
 * Text that a plug-in returns stays owned by the plug-in; it must stay valid
 * until the library is unloaded. The program copies it at once, never writes
 * or frees it, and reads a null pointer as empty text.
 *
 * Threads and errors. Every entry point is called on the program's user
 * interface thread, and the program waits inside the call until it returns. A
 * plug-in with a window shows it and runs its event loop inside PluginExec (or
 * PlugKolExec) and returns when the window has closed; when a QApplication
 * already exists, the plug-in uses it rather than creating its own. A C++
 * plug-in must not let an exception leave an entry point: catch everything at
 * the boundary and report failures in the plug-in's own windows.
 */
#pragma once

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#define TESMORA_PLUGIN_CALL __cdecl
#define TESMORA_PLUGIN_EXPORT __declspec(dllexport)
#elif defined(__GNUC__)
#define TESMORA_PLUGIN_CALL
#define TESMORA_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define TESMORA_PLUGIN_CALL
#define TESMORA_PLUGIN_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * The type words that PluginType may return. The program compares the word
 * with these in this order, as whole texts, byte for byte and case-sensitively
 * ("data", "Data" and "DATA " match none), calling PluginType afresh before
 * each comparison, so it must return the same text every time. The first
 * equal word decides what is called; a word that equals none runs nothing.
 *
 *   word      called        argument
 *   DATA      PluginExec    const TesmoraConnection* (below)
 *   FORM      PluginExec    QWidget*: the main window, object name "frmTesmora"
 *   GRID1     PluginExec    QWidget*: the contacts grid, "dbgClients"
 *   GRID2     PluginExec    QWidget*: the contact-info grid, "dbgParams"
 *   GRID3     PluginExec    QWidget*: the call-history grid, "dbgHistory"
 *   KOLDATA   PlugKolExec   const char*: the connection string, UTF-8
 *   NIL       PluginExec    NULL
 *
 * Every argument is owned by the program and valid only for the duration of
 * the call: a plug-in never frees it, and copies what it needs to keep. The
 * widgets are the program's own Qt widgets, so only a plug-in built against
 * the same Qt may use them; the program's database connection stays open
 * during the call.
 */
#define TESMORA_TYPE_DATA "DATA"
#define TESMORA_TYPE_FORM "FORM"
#define TESMORA_TYPE_GRID1 "GRID1"
#define TESMORA_TYPE_GRID2 "GRID2"
#define TESMORA_TYPE_GRID3 "GRID3"
#define TESMORA_TYPE_KOLDATA "KOLDATA"
#define TESMORA_TYPE_NIL "NIL"

/*
 * The argument of a "DATA" plug-in: what a plug-in needs of the program's
 * database connection to open a second connection of its own to the same
 * database file. The struct may grow at its end; size always comes first and
 * holds sizeof the struct as the program built it, so read fields through
 * tesmoraConnectionString() or check size before reading a field.
 */
typedef struct TesmoraConnection
{
    uint32_t size;
    /* The connection string of the program's connection, UTF-8, never null.
     * Valid during the call only. */
    const char* connectionString;
} TesmoraConnection;

/* The connection string of a "DATA" argument, or "" when there is none. */
static inline const char* tesmoraConnectionString(const TesmoraConnection* connection)
{
    if (connection == NULL
        || connection->size < offsetof(TesmoraConnection, connectionString) + sizeof(const char*)
        || connection->connectionString == NULL)
        return "";
    return connection->connectionString;
}

/* The plug-in's name: its menu item's caption and its line in the options
 * dialog. Required; a library without it is not a plug-in. */
TESMORA_PLUGIN_EXPORT const char* TESMORA_PLUGIN_CALL PluginName(void);

/* A one-line description: the menu item's hint and the About text. */
TESMORA_PLUGIN_EXPORT const char* TESMORA_PLUGIN_CALL PluginDescr(void);

/* The version line of the About dialog, shown as it stands (so it usually
 * includes the word "Version:"). */
TESMORA_PLUGIN_EXPORT const char* TESMORA_PLUGIN_CALL PluginVersion(void);

/* One of the type words above. */
TESMORA_PLUGIN_EXPORT const char* TESMORA_PLUGIN_CALL PluginType(void);

/* Runs the plug-in with the argument its type word names (see the table). The
 * result is ignored; a plug-in reports its own failures. */
TESMORA_PLUGIN_EXPORT bool TESMORA_PLUGIN_CALL PluginExec(void* argument);

/* Runs a "KOLDATA" plug-in with the connection string, UTF-8, valid during
 * the call only. */
TESMORA_PLUGIN_EXPORT void TESMORA_PLUGIN_CALL PlugKolExec(const char* connectionString);

/* Shows the plug-in's own About window in place of the program's. The
 * argument is the options dialog (a QWidget*), valid during the call; use it
 * as the parent of a modal window. */
TESMORA_PLUGIN_EXPORT void TESMORA_PLUGIN_CALL PluginAbout(void* optionsDialog);

/* The entry points as the program looks them up. */
typedef const char*(TESMORA_PLUGIN_CALL* TesmoraTextEntry)(void);
typedef bool(TESMORA_PLUGIN_CALL* TesmoraExecEntry)(void* argument);
typedef void(TESMORA_PLUGIN_CALL* TesmoraKolExecEntry)(const char* connectionString);
typedef void(TESMORA_PLUGIN_CALL* TesmoraAboutEntry)(void* optionsDialog);

#ifdef __cplusplus
} /* extern "C" */
#endif
