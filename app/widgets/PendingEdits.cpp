#include "PendingEdits.h"

#include <QObject>
#include <QPointer>
#include <algorithm>
#include <vector>

namespace {

struct Entry
{
    const Dataset* dataset;
    QPointer<const QObject> owner;
    std::function<void()> write;
    std::function<void()> discard;
};

std::vector<Entry>& entries()
{
    static std::vector<Entry> list;
    // A destroyed owner leaves a null pointer behind; drop those first.
    list.erase(std::remove_if(list.begin(), list.end(), [](const Entry& e) { return e.owner.isNull(); }),
               list.end());
    return list;
}

} // namespace

namespace PendingEdits {

void add(const Dataset& dataset, const QObject& owner, std::function<void()> write,
         std::function<void()> discard)
{
    remove(owner);
    entries().push_back({ &dataset, &owner, std::move(write), std::move(discard) });
}

void remove(const QObject& owner)
{
    auto& list = entries();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Entry& e) { return e.owner == &owner; }),
               list.end());
}

void writeAll(const Dataset& dataset)
{
    // A writer may register or remove entries, so work on a copy.
    std::vector<std::function<void()>> writers;
    for (const Entry& e : entries()) {
        if (e.dataset == &dataset && e.write)
            writers.push_back(e.write);
    }
    for (const auto& write : writers)
        write();
}

void discardAll(const Dataset& dataset)
{
    std::vector<std::function<void()>> discarders;
    for (const Entry& e : entries()) {
        if (e.dataset == &dataset && e.discard)
            discarders.push_back(e.discard);
    }
    for (const auto& discard : discarders)
        discard();
}

bool has(const Dataset& dataset)
{
    const auto& list = entries();
    return std::any_of(list.begin(), list.end(), [&](const Entry& e) { return e.dataset == &dataset; });
}

} // namespace PendingEdits
