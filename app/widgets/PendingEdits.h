#pragma once

#include <functional>

class Dataset;
class QObject;

// Editors that hold typed text not yet written to a field (a grid's in-place
// editor) register here while they are open, so that an operation started
// elsewhere on the same dataset, such as a navigator button, which never takes
// the focus, first writes that text, as posting from the editor itself would.
// UI thread only.
namespace PendingEdits {

// Registers (or replaces) an editor owner's writer and discarder for a
// dataset. The writer throws (UserError, or OperationAborted once it has
// reported) when the text cannot be written; the discarder drops the text.
// The entry goes when the owner is destroyed.
void add(const Dataset& dataset, const QObject& owner, std::function<void()> write,
         std::function<void()> discard);
void remove(const QObject& owner);
// Runs the writers registered for the dataset; the first failure propagates.
void writeAll(const Dataset& dataset);
// Drops the text of every editor registered for the dataset (before a cancel).
void discardAll(const Dataset& dataset);
// Whether an editor of the dataset is registered (open).
bool has(const Dataset& dataset);

} // namespace PendingEdits
