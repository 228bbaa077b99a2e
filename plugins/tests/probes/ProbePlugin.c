/*
 * A test plug-in in plain C. The build makes many libraries from this one
 * file; the definitions choose which entry points exist and what they return:
 * PROBE_NAME / PROBE_NAME_NULL / PROBE_NAME_LONG (length), PROBE_DESCR,
 * PROBE_VERSION, PROBE_TYPE / PROBE_TYPE_NULL, PROBE_NO_EXEC, PROBE_NO_KOL,
 * PROBE_ABOUT. An entry point left out is not exported at all.
 */
#include "ProbeLog.h"
#include "TesmoraPlugin.h"

#include <string.h>

#if !defined(PROBE_NO_EXEC) || !defined(PROBE_NO_KOL)
/* Counts the runs since the library was loaded; a fresh load starts at 0. */
static long runs;
#endif

#if defined(PROBE_NAME)
const char* PluginName(void)
{
    probeLog("name", "");
    return PROBE_NAME;
}
#elif defined(PROBE_NAME_NULL)
const char* PluginName(void)
{
    probeLog("name", "");
    return NULL;
}
#elif defined(PROBE_NAME_LONG)
static char longName[PROBE_NAME_LONG + 1];
const char* PluginName(void)
{
    probeLog("name", "");
    memset(longName, 'x', PROBE_NAME_LONG);
    longName[PROBE_NAME_LONG] = '\0';
    return longName;
}
#endif

#if defined(PROBE_DESCR)
const char* PluginDescr(void)
{
    probeLog("descr", "");
    return PROBE_DESCR;
}
#endif

#if defined(PROBE_VERSION)
const char* PluginVersion(void)
{
    probeLog("version", "");
    return PROBE_VERSION;
}
#endif

#if defined(PROBE_TYPE)
const char* PluginType(void)
{
    probeLog("type", PROBE_TYPE);
    return PROBE_TYPE;
}
#elif defined(PROBE_TYPE_NULL)
const char* PluginType(void)
{
    probeLog("type", "(null)");
    return NULL;
}
#endif

#if !defined(PROBE_NO_EXEC)
bool PluginExec(void* argument)
{
    probeLogPointer("exec", argument);
    probeLogNumber("runs", ++runs);
#if defined(PROBE_TYPE)
    if (strcmp(PROBE_TYPE, TESMORA_TYPE_DATA) == 0) {
        const TesmoraConnection* connection = (const TesmoraConnection*)argument;
        probeLogNumber("connection-size", connection != NULL ? (long)connection->size : -1);
        probeLog("connection", tesmoraConnectionString(connection));
    }
#endif
    return true;
}
#endif

#if !defined(PROBE_NO_KOL)
void PlugKolExec(const char* connectionString)
{
    probeLog("kol", connectionString);
    probeLogNumber("runs", ++runs);
}
#endif

#if defined(PROBE_ABOUT)
void PluginAbout(void* optionsDialog)
{
    probeLogPointer("about", optionsDialog);
}
#endif
