// A test plug-in in C++ with Qt: it reads the widgets it is given as the
// program's own QWidgets, keeps C++ statics with destructors, and can run the
// program's event loop inside its call (PROBE_PROCESS_EVENTS). Like every
// well-behaved C++ plug-in it catches everything at the boundary, except
// where PROBE_THROW_IN_NAME or PROBE_THROW_IN_EXEC makes it misbehave on
// purpose.
#include "ProbeLog.h"
#include "TesmoraPlugin.h"

#include <QCoreApplication>
#include <QWidget>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// A static with a constructor and a destructor: fresh for every load.
std::vector<int> runs;

void logWidget(const char* event, void* widget)
{
    if (widget)
        probeLog(event, static_cast<QWidget*>(widget)->objectName().toUtf8().constData());
}

} // namespace

const char* PluginName()
{
#if defined(PROBE_THROW_IN_NAME)
    throw std::runtime_error("probe name failure");
#else
    probeLog("name", "");
    return PROBE_NAME;
#endif
}

const char* PluginDescr()
{
    return PROBE_DESCR;
}

const char* PluginVersion()
{
    return PROBE_VERSION;
}

const char* PluginType()
{
    probeLog("type", PROBE_TYPE);
    return PROBE_TYPE;
}

bool PluginExec(void* argument)
{
#if defined(PROBE_THROW_IN_EXEC)
    static_cast<void>(argument);
    probeLog("exec", "throwing");
    throw std::runtime_error("probe exec failure");
#else
    try {
        probeLogPointer("exec", argument);
        runs.push_back(1);
        probeLogNumber("runs", long(runs.size()));
        if (std::strcmp(PROBE_TYPE, TESMORA_TYPE_DATA) == 0)
            probeLog("connection", tesmoraConnectionString(static_cast<const TesmoraConnection*>(argument)));
        else
            logWidget("widget", argument);
#if defined(PROBE_PROCESS_EVENTS)
        QCoreApplication::processEvents();
        probeLog("events", "processed");
#endif
        return true;
    } catch (...) {
        return false;
    }
#endif
}

void PluginAbout(void* optionsDialog)
{
    try {
        probeLogPointer("about", optionsDialog);
        logWidget("about-window", optionsDialog);
    } catch (...) { }
}
