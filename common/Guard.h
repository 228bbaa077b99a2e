#pragma once

#include "Messages.h"
#include "UserError.h"

#include <exception>
#include <utility>

// Runs an event handler and hands any exception that escapes it to the
// default error box, so that no exception ever crosses the Qt event loop.
// Returns false when the handler failed.
template<typename Handler> bool guarded(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const OperationAborted&) {
        // A refusal that was already explained, or a No: nothing more to say.
    } catch (const UserError& error) {
        messages().showError(error.text());
    } catch (const std::exception& error) {
        messages().showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        messages().showError(QStringLiteral("Unknown error."));
    }
    return false;
}
