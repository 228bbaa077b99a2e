#include "TdbTesmora.h"

#include "Clock.h"
#include "Guard.h"
#include "Messages.h"

const QString TdbTesmora::kProtectedFieldMessage
    = QStringLiteral("It is a protected field. You must not to edit or delete this field.");

TdbTesmora::TdbTesmora(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("dbTesmora"));
    cnTesmora.setObjectName(QStringLiteral("cnTesmora"));
    taCustomers.setObjectName(QStringLiteral("taCustomers"));
    quClientParams.setObjectName(QStringLiteral("quClientParams"));
    taParams.setObjectName(QStringLiteral("taParams"));
    quHistory.setObjectName(QStringLiteral("quHistory"));
    quMasks.setObjectName(QStringLiteral("quMasks"));
    dsCustomers.setObjectName(QStringLiteral("dsCustomers"));
    dsClientParams.setObjectName(QStringLiteral("dsClientParams"));
    dsParams.setObjectName(QStringLiteral("dsParams"));
    dsHistory.setObjectName(QStringLiteral("dsHistory"));
    dsMasks.setObjectName(QStringLiteral("dsMasks"));

    taCustomers.setSql(QStringLiteral("SELECT Customers.IdClient, Customers.Phone, Customers.Client\n"
                                      "FROM Customers\n"
                                      "ORDER BY Customers.Client;"));
    quClientParams.setSql(QStringLiteral(
        "SELECT ClientParam.IdClient, ClientParam.ParamID, ClientParam.Value, Parametrs.ParamDescr, "
        "Parametrs.TypeID\n"
        "FROM Parametrs INNER JOIN ClientParam ON Parametrs.ParamID = ClientParam.ParamID\n"
        "WHERE (((ClientParam.IdClient)=:IdClient))\n"
        "ORDER BY Parametrs.ParamDescr;"));
    taParams.setTableName(QStringLiteral("Parametrs"));
    quHistory.setSql(QStringLiteral("SELECT *\n"
                                    "FROM CallHistory\n"
                                    "WHERE (((CallHistory.IdClient)=:IdClient))\n"
                                    "ORDER BY CallHistory.Date DESC;"));
    quHistory.setMasterSource(&dsCustomers, QStringLiteral("IdClient"), QStringLiteral("IdClient"));
    quMasks.setSql(QStringLiteral("SELECT *\n"
                                  "FROM PhoneMasks;"));
    defineFields();

    connect(&dsCustomers, &DataSource::dataChange, this, &TdbTesmora::dsCustomersDataChange);
    quHistory.events().afterInsert = [this](Dataset& dataset) { quHistoryAfterInsert(dataset); };
    quHistory.events().calcFields = [this](Dataset::CalcRow& row) { quHistoryCalcFields(row); };
    taParams.events().beforeDelete = [this](Dataset& dataset) { taParamsBeforeDelete(dataset); };
    taParams.fieldByName(QStringLiteral("ParamDescr"))
        .setSetTextHandler(
            [this](Field& field, const QString& text) { taParamsParamDescrSetText(field, text); });
}

TdbTesmora::~TdbTesmora()
{
    // The datasets go before the connection they read through.
    disconnect(&dsCustomers, nullptr, this, nullptr);
}

void TdbTesmora::defineFields()
{
    taCustomers.addDataField(QStringLiteral("IdClient"), FieldType::AutoIncrement).setVisible(false);
    taCustomers.addDataField(QStringLiteral("Phone"), FieldType::Text, 20);
    taCustomers.addDataField(QStringLiteral("Client"), FieldType::Text, 50)
        .setLabel(QStringLiteral("Name"))
        .setDisplayWidth(32);

    quClientParams.addDataField(QStringLiteral("TypeID"), FieldType::Integer)
        .setLabel(QStringLiteral(" "))
        .setDisplayWidth(3)
        .setReadOnly(true);
    quClientParams.addDataField(QStringLiteral("IdClient"), FieldType::Integer).setVisible(false);
    quClientParams.addDataField(QStringLiteral("ParamID"), FieldType::Integer).setVisible(false);
    quClientParams
        .addLookupField(
            QStringLiteral("ParamDescr"),
            { QStringLiteral("ParamID"), &taParams, QStringLiteral("ParamID"), QStringLiteral("ParamDescr") },
            50)
        .setLabel(QStringLiteral("Property"))
        .setDisplayWidth(14);
    quClientParams.addDataField(QStringLiteral("Value"), FieldType::Text, 255).setDisplayWidth(27);

    taParams.addDataField(QStringLiteral("ParamID"), FieldType::AutoIncrement).setVisible(false);
    taParams.addDataField(QStringLiteral("ParamDescr"), FieldType::Text, 50)
        .setLabel(QStringLiteral("Property"))
        .setDisplayWidth(30);
    taParams.addDataField(QStringLiteral("TypeID"), FieldType::Integer)
        .setLabel(QStringLiteral("Order"))
        .setDisplayWidth(6)
        .setRequired(true);

    quHistory.addDataField(QStringLiteral("CallID"), FieldType::AutoIncrement);
    quHistory.addDataField(QStringLiteral("IdClient"), FieldType::Integer);
    quHistory.addDataField(QStringLiteral("Date"), FieldType::DateTime);
    quHistory.addDataField(QStringLiteral("CallDescr"), FieldType::Text, 255);
    quHistory.addCalculatedField(QStringLiteral("Time"), FieldType::Time);
    quHistory.addCalculatedField(QStringLiteral("Date2"), FieldType::Date);

    quMasks.addDataField(QStringLiteral("KodMask"), FieldType::AutoIncrement).setVisible(false);
    quMasks.addDataField(QStringLiteral("Descr"), FieldType::Text, 20)
        .setLabel(QStringLiteral("Description"));
    quMasks.addDataField(QStringLiteral("Value"), FieldType::Text, 25).setDisplayWidth(20);
}

bool TdbTesmora::isProtectedFieldName(const QString& name)
{
    return name == QLatin1String("E-mail") || name == QLatin1String("Web-site")
        || name == QLatin1String("Fax");
}

void TdbTesmora::connectTo(const QString& connectionString)
{
    if (cnTesmora.isOpen()) {
        for (Dataset* dataset : { &taCustomers, &quClientParams, &taParams, &quHistory, &quMasks })
            dataset->close();
        cnTesmora.close();
    }
    cnTesmora.setConnectionString(connectionString);
    cnTesmora.open();
}

void TdbTesmora::openDatasets(const SortState& sort)
{
    if (!quMasks.isOpen())
        quMasks.open();
    if (!taParams.isOpen())
        taParams.open();
    if (!quHistory.isOpen())
        quHistory.open();
    setContactsStatement(sort.contactsStatement());
    setContactInfoStatement(sort.contactInfoStatement());
}

void TdbTesmora::setContactsStatement(const QString& sql)
{
    taCustomers.close();
    taCustomers.setSql(sql);
    taCustomers.open();
}

void TdbTesmora::setContactInfoStatement(const QString& sql)
{
    quClientParams.close();
    quClientParams.setSql(sql);
    RequeryContactFields();
}

void TdbTesmora::RequeryContactFields()
{
    quClientParams.close();
    const QVariant key = taCustomers.isOpen() && !taCustomers.isEmpty()
        ? taCustomers.fieldByName(QStringLiteral("IdClient")).value()
        : QVariant();
    // No key (a contact being inserted, or no contact) matches no field value.
    quClientParams.setParameter(QStringLiteral("IdClient"), key.isNull() ? 0 : key.toLongLong());
    quClientParams.open();
    quClientParams.setUpdateTable(QStringLiteral("ClientParam"));
}

void TdbTesmora::setPhoneMask(const QString& mask)
{
    taCustomers.fieldByName(QStringLiteral("Phone")).setEditMask(mask);
}

void TdbTesmora::dsCustomersDataChange(int)
{
    // A failure is the user's to see; the field list then stays closed until
    // the next successful reopening.
    guarded([this] { RequeryContactFields(); });
}

void TdbTesmora::quHistoryAfterInsert(Dataset& dataset)
{
    dataset.fieldByName(QStringLiteral("Date")).setValue(appClock().now());
}

void TdbTesmora::quHistoryCalcFields(Dataset::CalcRow& row)
{
    const QDateTime stamp = row.value(QStringLiteral("Date")).toDateTime();
    if (stamp.isValid()) {
        row.setValue(QStringLiteral("Time"), stamp.time());
        row.setValue(QStringLiteral("Date2"), stamp.date());
    } else {
        // The zero point of the date and time scale.
        row.setValue(QStringLiteral("Time"), QTime(0, 0));
        row.setValue(QStringLiteral("Date2"), QDate(1899, 12, 30));
    }
}

void TdbTesmora::taParamsBeforeDelete(Dataset& dataset)
{
    if (isProtectedFieldName(dataset.fieldByName(QStringLiteral("ParamDescr")).asString())) {
        messages().showMessage(kProtectedFieldMessage);
        throw OperationAborted();
    }
}

void TdbTesmora::taParamsParamDescrSetText(Field& field, const QString& text)
{
    // The name being replaced decides, never the new one.
    if (isProtectedFieldName(field.asString())) {
        messages().showMessage(kProtectedFieldMessage);
        return;
    }
    field.setValue(text);
}
