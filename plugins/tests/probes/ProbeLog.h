/*
 * What a test plug-in tells its test: every entry point called appends a line
 * "<probe id>\t<event>\t<value>\n" to the file named by ORVANTA_PROBE_LOG.
 * Opened and closed per line, so the log is complete whenever the call
 * returns, and nothing stays open when the library is unloaded.
 */
#pragma once

#include <inttypes.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

static inline void probeLog(const char* event, const char* value)
{
    const char* path = getenv("ORVANTA_PROBE_LOG");
    if (path == NULL || *path == '\0')
        return;
    FILE* log = fopen(path, "a");
    if (log == NULL)
        return;
    fprintf(log, "%s\t%s\t%s\n", PROBE_ID, event, value != NULL ? value : "(null)");
    fclose(log);
}

static inline void probeLogPointer(const char* event, const void* pointer)
{
    char text[32];
    snprintf(text, sizeof text, "%" PRIxPTR, (uintptr_t)pointer);
    probeLog(event, text);
}

static inline void probeLogNumber(const char* event, long number)
{
    char text[32];
    snprintf(text, sizeof text, "%ld", number);
    probeLog(event, text);
}
