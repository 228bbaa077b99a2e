#include "FormStorage.h"

#include "Messages.h"
#include "SettingsErrors.h"
#include "UserError.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QSplitter>
#include <QTableView>
#include <QWidget>
#include <algorithm>
#include <memory>

namespace {

const QString kWindowState = QStringLiteral("WindowState");
const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
const QString kVisible = QStringLiteral("Visible");
const QString kActiveControl = QStringLiteral("ActiveControl");
const QString kCount = QStringLiteral("Count");

// More columns than any grid of the program will ever have: a count beyond it
// is not a layout this store wrote.
constexpr int kMaxColumns = 1000;

enum StoredState : qint32
{
    Normal = 0,
    Maximised = 1,
    Minimised = 2
};

QString heightName(const QString& pane)
{
    return pane + QStringLiteral("_Height");
}

std::optional<qint32> readOptionalInteger(const SettingsKey& key, const QString& name)
{
    if (!key.valueExists(name))
        return std::nullopt;
    return key.readInteger(name);
}

bool onSomeScreen(const QRect& rect)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [&](const QScreen* screen) { return screen->availableGeometry().intersects(rect); });
}

} // namespace

FormStorage::FormStorage(SettingsHive& hive, QObject* parent)
    : QObject(parent)
    , m_hive(hive)
{ }

QString FormStorage::formName(const QWidget* form) const
{
    if (!m_formName.isEmpty() || !form)
        return m_formName;
    return QString::fromLatin1(form->metaObject()->className());
}

void FormStorage::addStoredValue(const QString& name, const QVariant& defaultValue)
{
    Q_ASSERT(defaultValue.typeId() == QMetaType::Bool || defaultValue.typeId() == QMetaType::Int
             || defaultValue.typeId() == QMetaType::QString);
    if (!m_values.contains(name))
        m_valueOrder.append(name);
    m_values.insert(name, { defaultValue, defaultValue });
}

QVariant FormStorage::storedValue(const QString& name) const
{
    const auto it = m_values.constFind(name);
    return it == m_values.constEnd() ? QVariant() : it->value;
}

void FormStorage::setStoredValue(const QString& name, const QVariant& value)
{
    auto it = m_values.find(name);
    if (it == m_values.end()) {
        addStoredValue(name, value);
        return;
    }
    QVariant converted = value;
    if (converted.convert(it->defaultValue.metaType()))
        it->value = converted;
}

void FormStorage::addStoredHeight(const QString& objectName)
{
    if (!m_heights.contains(objectName))
        m_heights.append(objectName);
}

void FormStorage::addStoredColumns(const QString& objectName)
{
    if (!m_grids.contains(objectName))
        m_grids.append(objectName);
}

QString FormStorage::formKeyPath(const QWidget* form) const
{
    return m_rootKey + QLatin1Char('\\') + formName(form);
}

QString FormStorage::columnsKeyPath(const QWidget* form, const QString& grid) const
{
    return formKeyPath(form) + QLatin1Char('.') + grid + QStringLiteral("_Columns");
}

bool FormStorage::restore(QWidget* form)
{
    if (!m_active || !form)
        return true;
    try {
        // Everything is read before anything is applied, so an error on the
        // way leaves the form as it was designed.
        const Plan plan = readPlan(form);
        applyPlan(form, plan);
        return true;
    } catch (const UserError& error) {
        messages().showError(error.text());
        return false;
    }
}

FormStorage::Plan FormStorage::readPlan(const QWidget* form) const
{
    Plan plan;
    const std::optional<SettingsKey> key = m_hive.openKey(formKeyPath(form), false);
    if (key) {
        for (const QString& name : m_valueOrder) {
            if (!key->valueExists(name))
                continue;
            switch (m_values.value(name).defaultValue.typeId()) {
            case QMetaType::Bool:
                plan.values[name] = key->readBool(name);
                break;
            case QMetaType::Int:
                plan.values[name] = key->readInteger(name);
                break;
            default:
                plan.values[name] = key->readString(name);
                break;
            }
        }

        const std::optional<qint32> left = readOptionalInteger(*key, kLeft);
        const std::optional<qint32> top = readOptionalInteger(*key, kTop);
        const std::optional<qint32> width = readOptionalInteger(*key, kWidth);
        const std::optional<qint32> height = readOptionalInteger(*key, kHeight);
        if (left && top && width && height && *width > 0 && *height > 0) {
            const QRect rect(*left, *top, *width, *height);
            // A window placed on a screen that is gone could not be reached.
            if (onSomeScreen(rect))
                plan.geometry = rect;
        }
        if (const std::optional<qint32> state = readOptionalInteger(*key, kWindowState)) {
            if (*state == Normal)
                plan.state = Qt::WindowNoState;
            else if (*state == Maximised)
                plan.state = Qt::WindowMaximized;
            else if (*state == Minimised)
                plan.state = Qt::WindowMinimized;
        }
        if (const std::optional<qint32> visible = readOptionalInteger(*key, kVisible))
            plan.visible = *visible != 0;
        plan.activeControl = key->readString(kActiveControl);

        for (const QString& pane : m_heights) {
            const std::optional<qint32> paneHeight = readOptionalInteger(*key, heightName(pane));
            if (paneHeight && *paneHeight >= 0)
                plan.heights[pane] = *paneHeight;
        }
    }
    for (const QString& grid : m_grids) {
        if (std::optional<ColumnLayout> layout = readColumns(form, grid))
            plan.columns[grid] = std::move(*layout);
    }
    return plan;
}

std::optional<FormStorage::ColumnLayout> FormStorage::readColumns(const QWidget* form,
                                                                  const QString& grid) const
{
    const std::optional<SettingsKey> key = m_hive.openKey(columnsKeyPath(form, grid), false);
    if (!key)
        return std::nullopt;
    const std::optional<qint32> count = readOptionalInteger(*key, kCount);
    if (!count || *count <= 0 || *count > kMaxColumns)
        return std::nullopt;
    ColumnLayout layout;
    QSet<QString> seen;
    for (qint32 i = 0; i < *count; ++i) {
        const QString index = QString::number(i);
        const QString fieldName = QStringLiteral("Column") + index;
        const std::optional<qint32> width = readOptionalInteger(*key, QStringLiteral("Width") + index);
        const std::optional<qint32> hidden = readOptionalInteger(*key, QStringLiteral("Hidden") + index);
        const QString field = key->readString(fieldName);
        if (field.isEmpty() || seen.contains(field) || !width || *width < 0 || !hidden)
            return std::nullopt;
        seen.insert(field);
        layout.push_back({ field, *width, *hidden != 0 });
    }
    return layout;
}

void FormStorage::applyPlan(QWidget* form, const Plan& plan)
{
    for (const auto& [name, value] : plan.values)
        m_values[name].value = value;
    m_restoredVisible = plan.visible;

    if (plan.geometry)
        form->setGeometry(*plan.geometry);
    if (plan.state) {
        const Qt::WindowStates others
            = form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
        form->setWindowState(others | *plan.state);
    }
    applyHeights(form, plan.heights);
    for (const auto& [gridName, layout] : plan.columns) {
        if (auto* grid = form->findChild<QTableView*>(gridName))
            applyColumnsWhenReady(grid, layout);
    }
    if (!plan.activeControl.isEmpty()) {
        if (auto* control = form->findChild<QWidget*>(plan.activeControl))
            control->setFocus();
    }
}

void FormStorage::applyHeights(QWidget* form, const std::map<QString, int>& heights) const
{
    // Panes of one splitter are set together: setting them one by one would
    // let each new size push the ones set before.
    std::map<QSplitter*, QList<int>> splitterSizes;
    for (const auto& [paneName, height] : heights) {
        auto* pane = form->findChild<QWidget*>(paneName);
        if (!pane)
            continue;
        auto* splitter = qobject_cast<QSplitter*>(pane->parentWidget());
        if (!splitter) {
            pane->resize(pane->width(), height);
            continue;
        }
        auto [it, fresh] = splitterSizes.try_emplace(splitter);
        if (fresh) {
            it->second = splitter->sizes();
            // Before the first layout a splitter knows no sizes; the panes'
            // own wishes stand in for the ones not stored.
            const bool laidOut
                = std::any_of(it->second.begin(), it->second.end(), [](int size) { return size > 0; })
                && splitter->isVisible();
            for (int i = 0; i < splitter->count() && !laidOut; ++i) {
                const QSize hint = splitter->widget(i)->sizeHint();
                it->second[i] = splitter->orientation() == Qt::Vertical ? hint.height() : hint.width();
            }
        }
        it->second[splitter->indexOf(pane)] = height;
    }
    for (const auto& [splitter, sizes] : splitterSizes)
        splitter->setSizes(sizes);
}

void FormStorage::applyColumnsWhenReady(QTableView* grid, const ColumnLayout& layout)
{
    dropPending(grid->objectName());
    if (grid->horizontalHeader()->count() > 0) {
        applyColumns(grid, layout);
        return;
    }
    // The grid's dataset may open after the form is shown: wait for its
    // columns and take the layout once it fits. Queued, so the header is done
    // with its own change before sections move.
    const QString name = grid->objectName();
    auto waiting = std::make_shared<bool>(true);
    QPointer<QTableView> guardedGrid(grid);
    const QMetaObject::Connection connection = connect(
        grid->horizontalHeader(), &QHeaderView::sectionCountChanged, this,
        [this, name, guardedGrid, layout, waiting](int, int newCount) {
            if (*waiting && guardedGrid && newCount > 0 && applyColumns(guardedGrid, layout))
                dropPending(name);
        },
        Qt::QueuedConnection);
    m_pending.insert(name, { connection, waiting });
}

bool FormStorage::applyColumns(QTableView* grid, const ColumnLayout& layout)
{
    const QStringList fields = columnFields(grid);
    if (fields.size() != static_cast<qsizetype>(layout.size())
        || QSet<QString>(fields.begin(), fields.end()).size() != fields.size())
        return false;
    for (const Column& column : layout) {
        if (!fields.contains(column.field))
            return false;
    }
    QHeaderView* header = grid->horizontalHeader();
    for (int target = 0; target < static_cast<int>(layout.size()); ++target) {
        const Column& column = layout[target];
        const int logical = static_cast<int>(fields.indexOf(column.field));
        header->moveSection(header->visualIndex(logical), target);
        header->setSectionHidden(logical, column.hidden);
        if (!column.hidden)
            header->resizeSection(logical, column.width);
    }
    return true;
}

QStringList FormStorage::columnFields(const QTableView* grid)
{
    QStringList fields;
    const QAbstractItemModel* model = grid->model();
    const int count = grid->horizontalHeader()->count();
    for (int logical = 0; model && logical < count; ++logical) {
        QVariant field = model->headerData(logical, Qt::Horizontal, Qt::UserRole);
        if (!field.isValid() || field.toString().isEmpty())
            field = model->headerData(logical, Qt::Horizontal, Qt::DisplayRole);
        fields.append(field.toString());
    }
    return fields;
}

void FormStorage::dropPending(const QString& gridName)
{
    if (const auto it = m_pending.constFind(gridName); it != m_pending.constEnd()) {
        // A call already queued must find the wait over.
        *it->waiting = false;
        disconnect(it->connection);
        m_pending.erase(it);
    }
}

bool FormStorage::save(QWidget* form)
{
    if (!m_active || !form)
        return true;
    try {
        SettingsHive::Batch batch(m_hive);
        std::optional<SettingsKey> key = m_hive.openKey(formKeyPath(form), true);
        if (!key)
            throw UserError(SettingsErrors::failedToSetData(formName(form)));
        writePlacement(*key, form);
        for (const QString& paneName : m_heights) {
            if (const auto* pane = form->findChild<QWidget*>(paneName))
                key->writeInteger(heightName(paneName), pane->height());
        }
        for (const QString& name : m_valueOrder) {
            const QVariant& value = m_values.value(name).value;
            switch (value.typeId()) {
            case QMetaType::Bool:
                key->writeBool(name, value.toBool());
                break;
            case QMetaType::Int:
                key->writeInteger(name, value.toInt());
                break;
            default:
                key->writeString(name, value.toString());
                break;
            }
        }
        for (const QString& gridName : m_grids) {
            if (const auto* grid = form->findChild<QTableView*>(gridName))
                writeColumns(form, gridName, grid);
        }
        batch.commit();
        return true;
    } catch (const UserError& error) {
        messages().showError(error.text());
        return false;
    }
}

void FormStorage::writePlacement(SettingsKey& key, const QWidget* form) const
{
    const Qt::WindowStates state = form->windowState();
    key.writeInteger(kWindowState,
                     state & Qt::WindowMinimized       ? Minimised
                         : state & Qt::WindowMaximized ? Maximised
                                                       : Normal);
    QRect normal = form->normalGeometry();
    if (!normal.isValid())
        normal = form->geometry();
    key.writeInteger(kLeft, normal.x());
    key.writeInteger(kTop, normal.y());
    key.writeInteger(kWidth, normal.width());
    key.writeInteger(kHeight, normal.height());
    key.writeBool(kVisible, form->isVisible());
    const QWidget* focused = form->focusWidget();
    key.writeString(kActiveControl,
                    focused && form->isAncestorOf(focused) ? focused->objectName() : QString());
}

void FormStorage::writeColumns(const QWidget* form, const QString& gridName, const QTableView* grid)
{
    const QStringList fields = columnFields(grid);
    // A grid whose dataset never opened has no columns to speak of: the
    // layout stored before is kept for the next run rather than wiped.
    if (fields.isEmpty())
        return;
    dropPending(gridName);
    const QString path = columnsKeyPath(form, gridName);
    m_hive.deleteKey(path);
    std::optional<SettingsKey> key = m_hive.openKey(path, true);
    if (!key)
        throw UserError(SettingsErrors::failedToSetData(gridName));
    const QHeaderView* header = grid->horizontalHeader();
    key->writeInteger(kCount, static_cast<qint32>(fields.size()));
    for (int visual = 0; visual < fields.size(); ++visual) {
        const int logical = header->logicalIndex(visual);
        const QString index = QString::number(visual);
        key->writeString(QStringLiteral("Column") + index, fields.at(logical));
        key->writeInteger(QStringLiteral("Width") + index, header->sectionSize(logical));
        key->writeBool(QStringLiteral("Hidden") + index, header->isSectionHidden(logical));
    }
}
