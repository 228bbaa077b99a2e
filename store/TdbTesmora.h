#pragma once

#include "Connection.h"
#include "DataSource.h"
#include "Dataset.h"
#include "SortState.h"

#include <QObject>

// The data module: the connection and every dataset of the program, with the
// rules that keep them consistent whichever window changes them. One
// instance, dbTesmora, lives for the whole run. UI thread only.
class TdbTesmora : public QObject
{
    Q_OBJECT

public:
    explicit TdbTesmora(QObject* parent = nullptr);
    ~TdbTesmora() override;

    static const QString kProtectedFieldMessage;
    // "E-mail", "Web-site" and "Fax", compared exactly.
    static bool isProtectedFieldName(const QString& name);

    // Disconnects when connected, takes the connection string, connects.
    void connectTo(const QString& connectionString);
    // Opens the masks, field types and call notes unless open, then the
    // contacts and the contact's fields with the statements of the sort state.
    void openDatasets(const SortState& sort);
    // Replaces the contacts statement and reopens the list.
    void setContactsStatement(const QString& sql);
    // Replaces the contact info statement and re-queries the fields.
    void setContactInfoStatement(const QString& sql);
    // The one way to reopen the current contact's field list.
    void RequeryContactFields();
    void setPhoneMask(const QString& mask);

    Connection cnTesmora;
    Dataset taCustomers { cnTesmora };
    Dataset quClientParams { cnTesmora };
    Dataset taParams { cnTesmora };
    Dataset quHistory { cnTesmora };
    Dataset quMasks { cnTesmora };
    DataSource dsCustomers { taCustomers };
    DataSource dsClientParams { quClientParams };
    DataSource dsParams { taParams };
    DataSource dsHistory { quHistory };
    DataSource dsMasks { quMasks };

private:
    void defineFields();
    void dsCustomersDataChange(int fieldIndex);
    void quHistoryAfterInsert(Dataset& dataset);
    void quHistoryCalcFields(Dataset::CalcRow& row);
    void taParamsBeforeDelete(Dataset& dataset);
    void taParamsParamDescrSetText(Field& field, const QString& text);
};
