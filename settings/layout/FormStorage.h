#pragma once

#include "SettingsHive.h"

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QTableView;
class QWidget;

// The layout store of a form: keeps in the settings store, under its root key,
// the form's window state, normal geometry, visibility and focused control,
// the heights of registered panes, the column layouts of registered grids and
// a set of named stored values, and puts them back when the form is shown.
// Restoring and saving happen only while the store is active.
//
// Under "<root>\<form name>": "WindowState" (0 normal, 1 maximised,
// 2 minimised), "Left", "Top", "Width", "Height" (the normal geometry),
// "Visible" (1/0), "ActiveControl" (an object name), "<pane>_Height" for each
// registered pane and the stored values under their own names (booleans as
// 1/0, integers, texts). Under "<root>\<form name>.<grid>_Columns": "Count"
// and, for each visual position i from 0, "Column<i>" (the column's field
// name), "Width<i>" and "Hidden<i>" (1/0).
//
// A stored part that no longer fits the form (a geometry off every screen, a
// column layout that names a column the grid lacks or misses one it has) is
// left out whole, never applied half-way. Holds a reference to the hive, which
// must outlive it. UI thread only.
class FormStorage : public QObject
{
    Q_OBJECT

public:
    explicit FormStorage(SettingsHive& hive, QObject* parent = nullptr);

    void setRootKey(const QString& path) { m_rootKey = path; }
    const QString& rootKey() const { return m_rootKey; }
    void setActive(bool active) { m_active = active; }
    bool isActive() const { return m_active; }
    // The name of the form's key; the form's class name when none is given.
    void setFormName(const QString& name) { m_formName = name; }
    QString formName(const QWidget* form) const;

    // A stored value and its default, whose type (bool, int or QString) is the
    // type the value is kept with.
    void addStoredValue(const QString& name, const QVariant& defaultValue);
    // The value in force: as restored or set, else the default.
    QVariant storedValue(const QString& name) const;
    void setStoredValue(const QString& name, const QVariant& value);

    // A pane, by object name, whose height is kept. A pane inside a splitter
    // gets its height back through the splitter's sizes.
    void addStoredHeight(const QString& objectName);
    // A grid (a QTableView), by object name, whose column order, widths and
    // hidden columns are kept. Columns are known by their field name: the
    // model's horizontal header data at Qt::UserRole, or its display text when
    // there is none.
    void addStoredColumns(const QString& objectName);

    // Puts the stored layout on the form. A failure is reported in the default
    // error box and leaves the form as it was; returns false then. A grid
    // without columns yet gets its layout when its columns arrive.
    bool restore(QWidget* form);
    // Saves the form's layout and the stored values in one change of the
    // settings file. A failure is reported in the default error box; returns
    // false then.
    bool save(QWidget* form);

    // The form's visibility as last restored (the window is shown all the
    // same; this is for the caller to weigh).
    std::optional<bool> restoredVisible() const { return m_restoredVisible; }

private:
    struct Column
    {
        QString field;
        int width = 0;
        bool hidden = false;
    };
    using ColumnLayout = std::vector<Column>;

    struct StoredValue
    {
        QVariant defaultValue;
        QVariant value;
    };

    struct Pending
    {
        QMetaObject::Connection connection;
        std::shared_ptr<bool> waiting;
    };

    struct Plan
    {
        std::map<QString, QVariant> values;
        std::optional<QRect> geometry;
        std::optional<Qt::WindowState> state;
        std::optional<bool> visible;
        QString activeControl;
        std::map<QString, int> heights;
        std::map<QString, ColumnLayout> columns;
    };

    QString formKeyPath(const QWidget* form) const;
    QString columnsKeyPath(const QWidget* form, const QString& grid) const;
    Plan readPlan(const QWidget* form) const;
    std::optional<ColumnLayout> readColumns(const QWidget* form, const QString& grid) const;
    void applyPlan(QWidget* form, const Plan& plan);
    void applyHeights(QWidget* form, const std::map<QString, int>& heights) const;
    void applyColumnsWhenReady(QTableView* grid, const ColumnLayout& layout);
    static bool applyColumns(QTableView* grid, const ColumnLayout& layout);
    static QStringList columnFields(const QTableView* grid);
    void writePlacement(SettingsKey& key, const QWidget* form) const;
    void writeColumns(const QWidget* form, const QString& gridName, const QTableView* grid);
    void dropPending(const QString& gridName);

    SettingsHive& m_hive;
    QString m_rootKey;
    QString m_formName;
    bool m_active = false;
    QList<QString> m_valueOrder;
    QHash<QString, StoredValue> m_values;
    QStringList m_heights;
    QStringList m_grids;
    QHash<QString, Pending> m_pending;
    std::optional<bool> m_restoredVisible;
};
