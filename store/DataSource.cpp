#include "DataSource.h"

#include "Dataset.h"

DataSource::DataSource(Dataset& dataset, QObject* parent)
    : QObject(parent)
    , m_dataset(dataset)
{
    connect(&dataset, &Dataset::dataChange, this, &DataSource::dataChange);
    connect(&dataset, &Dataset::stateChange, this, &DataSource::stateChange);
}
