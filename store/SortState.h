#pragma once

#include <QString>

// The sort order of the contact list and of the contact's fields, and the
// fixed statements each combination selects. The panes change the flags; the
// layout store keeps them between runs while it is active.
struct SortState
{
    bool bSortByName = true; // contacts by name, else by phone
    bool bAsc = true; // contacts ascending
    bool bSortById = false; // fields by order number, else by name
    bool bAscField = true; // fields ascending

    QString contactsStatement() const { return contactsStatement(bSortByName, bAsc); }
    QString contactInfoStatement() const { return contactInfoStatement(bSortById, bAscField); }

    static QString contactsStatement(bool byName, bool ascending);
    static QString contactInfoStatement(bool byId, bool ascending);
};
