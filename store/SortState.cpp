#include "SortState.h"

QString SortState::contactsStatement(bool byName, bool ascending)
{
    if (byName) {
        return ascending
            ? QStringLiteral("SELECT Customers.IdClient, Customers.Phone, Customers.Client FROM Customers "
                             "ORDER BY Customers.Client;")
            : QStringLiteral("SELECT Customers.IdClient, Customers.Phone, Customers.Client FROM Customers "
                             "ORDER BY Customers.Client Desc");
    }
    return ascending
        ? QStringLiteral("SELECT Customers.IdClient, Customers.Phone, Customers.Client FROM Customers "
                         "ORDER BY Customers.Phone;")
        : QStringLiteral("SELECT Customers.IdClient, Customers.Phone, Customers.Client FROM Customers "
                         "ORDER BY Customers.Phone Desc");
}

QString SortState::contactInfoStatement(bool byId, bool ascending)
{
    static const QString select = QStringLiteral(
        "SELECT ClientParam.IdClient, ClientParam.ParamID, ClientParam.Value, Parametrs.ParamDescr, "
        "Parametrs.TypeID FROM Parametrs INNER JOIN ClientParam ON Parametrs.ParamID = ClientParam.ParamID "
        "WHERE (((ClientParam.IdClient)=:IdClient))");
    if (byId)
        return ascending ? select + QStringLiteral(" ORDER BY Parametrs.TypeID")
                         : select + QStringLiteral("  ORDER BY Parametrs.TypeID DESC");
    return ascending ? select + QStringLiteral(" ORDER BY Parametrs.ParamDescr")
                     : select + QStringLiteral("  ORDER BY Parametrs.ParamDescr DESC");
}
