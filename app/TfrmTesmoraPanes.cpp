// The three panes of the main window and the record navigator that serves
// them: sorting, fast search, hints, the pop-up actions, the navigator's
// before and after steps, and the keys that act through it.
#include "DBCtrlGrid.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "Guard.h"
#include "MaskEdit.h"
#include "Messages.h"
#include "Shell.h"
#include "TdbTesmora.h"
#include "TfrmTesmora.h"
#include "UpperCaseEdit.h"
#include "WidgetImages.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

const QString kFieldIsEmpty = QStringLiteral("Field is empty!");
const QString kPhoneSearchMask = QStringLiteral("0000000000;0;_");
constexpr int kNoteLimit = 255;

// The system's inactive-caption colour, as the note-length warning shows it.
const QColor kInactiveCaption(191, 205, 219);

bool isBrowsing(const Dataset& dataset)
{
    return dataset.state() == Dataset::State::Browse;
}

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QToolButton* makeSearchButton(const QString& name, const QString& hint, const QIcon& icon, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setAutoRaise(true);
    button->setFixedSize(26, 24);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

// ---------------------------------------------------------------------------
// Building

void TfrmTesmora::buildSearchBar()
{
    SearchBar = new QWidget(grbClients);
    SearchBar->setObjectName(QStringLiteral("SearchBar"));
    auto* layout = new QHBoxLayout(SearchBar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const QStyle* s = style();

    NameBtn = makeSearchButton(QStringLiteral("NameBtn"), QStringLiteral("Fast search by name "),
                               s->standardIcon(QStyle::SP_FileDialogInfoView), SearchBar);
    meName = new UpperCaseEdit(SearchBar);
    meName->setObjectName(QStringLiteral("meName"));
    meName->setToolTip(QStringLiteral("Enter the name"));
    FilterBtn = makeSearchButton(QStringLiteral("FilterBtn"), QStringLiteral("Remove filter"),
                                 s->standardIcon(QStyle::SP_DialogResetButton), SearchBar);
    mePhone = new MaskEdit(kPhoneSearchMask, SearchBar);
    mePhone->setObjectName(QStringLiteral("mePhone"));
    mePhone->setToolTip(QStringLiteral("Enter the pnone number"));
    mePhone->setMaxLength(10);
    PhoneBtn = makeSearchButton(QStringLiteral("PhoneBtn"), QStringLiteral("Fast search by a phone number"),
                                s->standardIcon(QStyle::SP_DriveNetIcon), SearchBar);

    // One of the two is always down: a toggle group.
    auto* group = new QButtonGroup(SearchBar);
    group->setExclusive(true);
    for (QToolButton* button : { NameBtn, PhoneBtn }) {
        button->setCheckable(true);
        group->addButton(button);
    }
    NameBtn->setChecked(true);

    layout->addWidget(NameBtn);
    layout->addWidget(meName, 3);
    layout->addWidget(FilterBtn);
    layout->addWidget(mePhone, 2);
    layout->addWidget(PhoneBtn);
}

void TfrmTesmora::buildPopParams()
{
    popParams = new QMenu(dbgParams);
    popParams->setObjectName(QStringLiteral("popParams"));
    popParams->setToolTipsVisible(true);
    const auto addItem
        = [this](const QString& name, const QString& caption, const QString& hint, const QString& image) {
              QAction* action = popParams->addAction(QIcon(widgetImage(image)), caption);
              action->setObjectName(name);
              action->setToolTip(hint);
              action->setStatusTip(hint);
              action->setEnabled(false);
              return action;
          };
    imnEmail = addItem(QStringLiteral("imnEmail"), QStringLiteral("Create a new message"),
                       QStringLiteral("Lunch the default e-mail client"), QStringLiteral("POPUP_EMAIL"));
    imnBrowser = addItem(QStringLiteral("imnBrowser"), QStringLiteral("Open this hyperlink"),
                         QStringLiteral("Lunch the default browser"), QStringLiteral("POPUP_BROWSER"));
    imnFax = addItem(QStringLiteral("imnFax"), QStringLiteral("Dial this fax number"),
                     QStringLiteral("Dial the fax number"), QStringLiteral("POPUP_FAX"));
    dbgParams->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(dbgParams, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popParams->popup(dbgParams->viewport()->mapToGlobal(at)); });
}

void TfrmTesmora::connectPanes()
{
    const auto guard
        = [](auto handler) { return [handler](auto&&... args) { guarded([&] { handler(args...); }); }; };

    connect(dbgClients, &DBGrid::titleClick, this, guard([this](Field* f, int) { dbgClientsTitleClick(f); }));
    connect(dbgClients, &DBGrid::drawTitleCell, this,
            guard([this](QPainter* p, const QRect& r, int c, Field*) { dbgClientsDrawColumnCell(p, r, c); }));
    connect(dbgClients, &DBGrid::mouseMove, this,
            guard([this](Qt::KeyboardModifiers m, int x, int y) { dbgClientsMouseMove(m, x, y); }));
    connect(dbgClients, &DBGrid::dblClick, this, guard([this] { dbgClientsDblClick(); }));
    connect(dbgClients, &DBGrid::enter, this, guard([this] { dbgClientsEnter(); }));
    connect(dbgClients, &DBGrid::keyDown, this,
            guard([this](int key, Qt::KeyboardModifiers m) { dbgClientsKeyDown(key, m); }));

    connect(meName, &QLineEdit::textChanged, this, guard([this](const QString&) { meNameChange(); }));
    connect(mePhone, &MaskEdit::valueChanged, this, guard([this](const QString&) { mePhoneChange(); }));
    connect(meName, &LineEdit::enter, this, guard([this] { meNameEnter(); }));
    connect(mePhone, &LineEdit::enter, this, guard([this] { mePhoneEnter(); }));
    connect(meName, &LineEdit::keyDown, this,
            guard([this](int key, Qt::KeyboardModifiers m) { meNameKeyDown(key, m); }));
    connect(mePhone, &LineEdit::keyDown, this,
            guard([this](int key, Qt::KeyboardModifiers m) { mePhoneKeyDown(key, m); }));
    connect(NameBtn, &QToolButton::clicked, this, guard([this](bool) { NameBtnClick(); }));
    connect(PhoneBtn, &QToolButton::clicked, this, guard([this](bool) { PhoneBtnClick(); }));
    connect(FilterBtn, &QToolButton::clicked, this, guard([this](bool) { FilterBtnClick(); }));

    connect(dbgParams, &DBGrid::titleClick, this, guard([this](Field* f, int) { dbgParamsTitleClick(f); }));
    connect(dbgParams, &DBGrid::drawTitleCell, this,
            guard([this](QPainter* p, const QRect& r, int c, Field*) { dbgParamsDrawColumnCell(p, r, c); }));
    connect(dbgParams, &DBGrid::mouseMove, this,
            guard([this](Qt::KeyboardModifiers m, int x, int y) { dbgParamsMouseMove(m, x, y); }));
    connect(dbgParams, &DBGrid::cellClick, this,
            guard([this](int c, Field* f, Qt::MouseButton b) { dbgParamsCellClick(c, f, b); }));
    connect(dbgParams, &DBGrid::enter, this, guard([this] { dbgParamsEnter(); }));
    connect(dbgParams, &DBGrid::keyDown, this,
            guard([this](int key, Qt::KeyboardModifiers m) { dbgParamsKeyDown(key, m); }));
    connect(imnEmail, &QAction::triggered, this, guard([this](bool) { imnEmailClick(); }));
    connect(imnBrowser, &QAction::triggered, this, guard([this](bool) { imnBrowserClick(); }));
    connect(imnFax, &QAction::triggered, this, guard([this](bool) { imnFaxClick(); }));

    connect(dbgHistory, &DBCtrlGrid::enter, this, guard([this] { dbgHistoryEnter(); }));
    connect(dbgHistory, &DBCtrlGrid::keyDown, this,
            guard([this](int key, Qt::KeyboardModifiers m) { dbgHistoryKeyDown(key, m); }));
    connect(dbgHistory, &DBCtrlGrid::memoTextChanged, this, guard([this] { dbmHistoryChange(); }));

    dbnCall->setBeforeAction([this](DBNavigator::Button button) { dbnCallBeforeAction(button); });
    connect(dbnCall, &DBNavigator::click, this, guard([this](DBNavigator::Button b) { dbnCallClick(b); }));
}

// ---------------------------------------------------------------------------
// Contacts pane

void TfrmTesmora::resortKeepingWidths(DBGrid& grid, const std::function<void()>& reopen)
{
    // The grid's column updates wait while the dataset is reopened, and its
    // first two columns keep the widths the user gave them.
    const int width0 = grid.dataColumnWidth(0);
    const int width1 = grid.dataColumnWidth(1);
    grid.beginUpdate();
    const auto resume = qScopeGuard([&] {
        grid.setDataColumnWidth(0, width0);
        grid.setDataColumnWidth(1, width1);
        grid.endUpdate();
    });
    reopen();
}

void TfrmTesmora::dbgClientsTitleClick(Field* field)
{
    if (!field)
        return;
    const bool byName = field->name() == QLatin1String("Client");
    if (!byName && field->name() != QLatin1String("Phone"))
        return;
    // One direction flag serves both columns: every click flips it.
    sort.bSortByName = byName;
    sort.bAsc = !sort.bAsc;
    resortKeepingWidths(*dbgClients, [this] {
        m_db.setContactsStatement(SortState::contactsStatement(sort.bSortByName, sort.bAsc));
    });
}

void TfrmTesmora::drawSortGlyph(QPainter* painter, const QRect& titleRect, int dataColumn,
                                const Dataset& dataset, bool firstColumnSorted, bool ascending)
{
    if (!dataset.isOpen() || dataset.isEmpty())
        return;
    if ((dataColumn == 0 && firstColumnSorted) || (dataColumn == 1 && !firstColumnSorted)) {
        const QPixmap glyph = sortGlyph(ascending);
        painter->drawPixmap(titleRect.right() + 1 - glyph.width(), titleRect.top(), glyph);
    }
}

void TfrmTesmora::dbgClientsDrawColumnCell(QPainter* painter, const QRect& titleRect, int dataColumn)
{
    drawSortGlyph(painter, titleRect, dataColumn, m_db.taCustomers, sort.bSortByName, sort.bAsc);
}

void TfrmTesmora::dbgClientsMouseMove(Qt::KeyboardModifiers, int x, int y)
{
    const DBGrid::Cell cell = dbgClients->cellAt(x, y);
    const bool browsing = isBrowsing(m_db.taCustomers);
    if (cell.row == 0) {
        if (browsing && cell.column == 1)
            dbgClients->setHint(QStringLiteral("Click to sort by names"));
        else if (browsing && cell.column == 2)
            dbgClients->setHint(QStringLiteral("Click to sort by phones"));
    } else if (cell.row >= 1) {
        dbgClients->setHint(browsing && cell.column == 2
                                ? QStringLiteral("Double click to dial the phone number")
                                : QString());
    }
}

void TfrmTesmora::dbgClientsDblClick()
{
    const Field* field = dbgClients->selectedField();
    if (!field || field->name() != QLatin1String("Phone") || !isBrowsing(m_db.taCustomers))
        return;
    const QString phone = field->asString();
    if (phone.isEmpty()) {
        messages().showMessage(kFieldIsEmpty);
        return;
    }
    DialPhone(phone.trimmed());
}

void TfrmTesmora::meNameChange()
{
    const QString text = meName->text().trimmed().toUpper();
    Dataset& contacts = m_db.taCustomers;
    if (!text.isEmpty()) {
        contacts.setFilter(QStringLiteral("Client LIKE '*") + text + QStringLiteral("*'"));
        contacts.setFiltered(true);
    } else {
        contacts.setFiltered(false);
    }
}

void TfrmTesmora::mePhoneChange()
{
    const QString digits = mePhone->value().trimmed();
    Dataset& contacts = m_db.taCustomers;
    if (!digits.isEmpty()) {
        contacts.setFilter(QStringLiteral("Phone LIKE '*") + digits + QStringLiteral("*'"));
        contacts.setFiltered(true);
    } else {
        contacts.setFiltered(false);
    }
}

void TfrmTesmora::meNameEnter()
{
    mePhone->setValue(QString());
    NameBtn->setChecked(true);
}

void TfrmTesmora::mePhoneEnter()
{
    meName->clear();
    PhoneBtn->setChecked(true);
}

void TfrmTesmora::meNameKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Escape) {
        m_db.taCustomers.setFiltered(false);
        meName->clear();
    }
}

void TfrmTesmora::mePhoneKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Escape) {
        m_db.taCustomers.setFiltered(false);
        mePhone->setValue(QString());
    }
}

void TfrmTesmora::NameBtnClick()
{
    mePhone->setValue(QString());
    meName->setFocus();
}

void TfrmTesmora::PhoneBtnClick()
{
    meName->clear();
    mePhone->setFocus();
}

void TfrmTesmora::FilterBtnClick()
{
    m_db.taCustomers.setFiltered(false);
    meName->clear();
    mePhone->setValue(QString());
}

// ---------------------------------------------------------------------------
// Contact info pane

void TfrmTesmora::dbgParamsTitleClick(Field* field)
{
    if (!field)
        return;
    const bool byOrder = field->name() == QLatin1String("TypeID");
    if (!byOrder && field->name() != QLatin1String("ParamDescr"))
        return;
    sort.bSortById = byOrder;
    sort.bAscField = !sort.bAscField;
    resortKeepingWidths(*dbgParams, [this] {
        m_db.setContactInfoStatement(SortState::contactInfoStatement(sort.bSortById, sort.bAscField));
    });
}

void TfrmTesmora::dbgParamsDrawColumnCell(QPainter* painter, const QRect& titleRect, int dataColumn)
{
    drawSortGlyph(painter, titleRect, dataColumn, m_db.quClientParams, sort.bSortById, sort.bAscField);
}

void TfrmTesmora::dbgParamsMouseMove(Qt::KeyboardModifiers, int x, int y)
{
    const DBGrid::Cell cell = dbgParams->cellAt(x, y);
    const bool browsing = isBrowsing(m_db.quClientParams);
    QString hint;
    if (cell.row == 0) {
        if (!browsing || cell.column <= 0)
            return; // hint and cursor as they were
        if (cell.column == 2)
            hint = QStringLiteral("Click to sort by property");
        else if (cell.column == 1)
            hint = QStringLiteral("Click to sort in order");
    } else if (cell.row < 0) {
        return;
    } else if (browsing && cell.column == 2) {
        hint = QStringLiteral("Click the right mouse button for pop-up menu");
    }
    dbgParams->setHint(hint);
    dbgParams->viewport()->unsetCursor();
}

void TfrmTesmora::dbgParamsCellClick(int dataColumn, Field* field, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    imnEmail->setEnabled(false);
    imnBrowser->setEnabled(false);
    imnFax->setEnabled(false);
    if (!field || !isBrowsing(m_db.quClientParams))
        return;
    const QString text = field->displayText();
    QAction* item = text == QLatin1String("E-mail") ? imnEmail
        : text == QLatin1String("Web-site")         ? imnBrowser
        : text == QLatin1String("Fax")              ? imnFax
                                                    : nullptr;
    if (!item)
        return;
    // The value stands in the column to the right; in the last column there
    // is none, and the click then arms nothing.
    const Field* valueField = dbgParams->fieldAtDataColumn(dataColumn + 1);
    if (!valueField)
        return;
    item->setEnabled(true);
    sActionValue = valueField->displayText();
}

void TfrmTesmora::imnEmailClick()
{
    if (sActionValue.isEmpty()) {
        messages().showMessage(kFieldIsEmpty);
        return;
    }
    const QString name = m_db.taCustomers.isOpen() && !m_db.taCustomers.isEmpty()
        ? m_db.taCustomers.fieldByName(QStringLiteral("Client")).asString()
        : QString();
    shell().open(QStringLiteral("mailto:") + sActionValue + QStringLiteral("?BODY=Dear ") + name
                 + QStringLiteral(","));
}

void TfrmTesmora::imnBrowserClick()
{
    if (sActionValue.isEmpty()) {
        messages().showMessage(kFieldIsEmpty);
        return;
    }
    if (!sActionValue.contains(QLatin1String("http://")))
        sActionValue.prepend(QStringLiteral("http://"));
    shell().open(sActionValue);
}

void TfrmTesmora::imnFaxClick()
{
    if (sActionValue.isEmpty()) {
        messages().showMessage(kFieldIsEmpty);
        return;
    }
    DialPhone(sActionValue.trimmed());
}

// ---------------------------------------------------------------------------
// Call history pane and the navigator

void TfrmTesmora::dbnCallBeforeAction(DBNavigator::Button button)
{
    if (button != DBNavigator::Button::Delete)
        return;
    // The Delete key reaches here in an empty pane too: there is nothing to ask about.
    const DataSource* bound = dbnCall->dataSource();
    if (bound && bound->dataset().isEmpty())
        throw OperationAborted();
    if (!messages().confirm(QStringLiteral("Are you about to delete the current record? ")))
        throw OperationAborted();
}

void TfrmTesmora::dbnCallClick(DBNavigator::Button button)
{
    const DataSource* bound = dbnCall->dataSource();
    if (bound == &m_db.dsHistory && button == DBNavigator::Button::Post)
        m_db.taCustomers.refresh();
    if (bound == &m_db.dsClientParams) {
        if (button == DBNavigator::Button::Insert) {
            Dataset& fields = m_db.quClientParams;
            if (fields.state() == Dataset::State::Insert)
                fields.fieldByName(QStringLiteral("IdClient"))
                    .setValue(m_db.taCustomers.fieldByName(QStringLiteral("IdClient")).value());
            dbgParams->setSelectedDataColumn(1);
            dbgParams->setFocus();
        } else if (button == DBNavigator::Button::Post) {
            m_db.RequeryContactFields();
        }
    }
    if (bound == &m_db.dsCustomers && button == DBNavigator::Button::Post)
        m_db.taCustomers.last();
}

bool TfrmTesmora::navigatorEditing() const
{
    const DataSource* bound = dbnCall->dataSource();
    return bound && bound->dataset().isEditing();
}

void TfrmTesmora::enterPane(DataSource& source)
{
    if (navigatorEditing())
        dbnCall->doAction(DBNavigator::Button::Post);
    dbnCall->setDataSource(&source);
}

void TfrmTesmora::dbgClientsEnter()
{
    enterPane(m_db.dsCustomers);
}

void TfrmTesmora::dbgParamsEnter()
{
    enterPane(m_db.dsClientParams);
}

void TfrmTesmora::dbgHistoryEnter()
{
    enterPane(m_db.dsHistory);
}

void TfrmTesmora::dbgClientsKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Delete && !navigatorEditing())
        dbnCall->doAction(DBNavigator::Button::Delete);
    else if (isEnterKey(key) && navigatorEditing())
        dbnCall->doAction(DBNavigator::Button::Post);
}

void TfrmTesmora::dbgParamsKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Delete && !navigatorEditing())
        dbnCall->doAction(DBNavigator::Button::Delete);
    else if (isEnterKey(key) && navigatorEditing())
        dbnCall->doAction(DBNavigator::Button::Post);
}

void TfrmTesmora::dbgHistoryKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Insert && !navigatorEditing())
        dbnCall->doAction(DBNavigator::Button::Insert);
    else if (key == Qt::Key_Delete && !navigatorEditing())
        dbnCall->doAction(DBNavigator::Button::Delete);
    else if (isEnterKey(key) && navigatorEditing())
        dbnCall->doAction(DBNavigator::Button::Post);
}

void TfrmTesmora::dbmHistoryChange()
{
    QPlainTextEdit* memo = dbgHistory->memo();
    QPalette palette = memo->palette();
    if (memo->toPlainText().size() <= kNoteLimit) {
        palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
        memo->setToolTip(QString());
    } else {
        palette.setColor(QPalette::Base, kInactiveCaption);
        memo->setToolTip(QStringLiteral("Text limit is 255 chars."));
    }
    memo->setPalette(palette);
}
