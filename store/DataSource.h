#pragma once

#include <QObject>

class Dataset;

// Connects views to a dataset and relays its notifications, as the named data
// sources (dsCustomers, dsHistory, ...) the panes and the navigator bind to.
class DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(Dataset& dataset, QObject* parent = nullptr);
    Dataset& dataset() const { return m_dataset; }

Q_SIGNALS:
    void dataChange(int fieldIndex);
    void stateChange();

private:
    Dataset& m_dataset;
};
