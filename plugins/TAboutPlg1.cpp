#include "TAboutPlg1.h"

#include "Guard.h"
#include "Maker.h"
#include "Shell.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

const QColor dialogColour(89, 172, 214);
const QColor maroon(128, 0, 0);

// The maker's logo, drawn rather than shipped as a file.
QPixmap makerLogo()
{
    QPixmap logo(64, 64);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath badge;
    badge.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    painter.fillPath(badge, maroon);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawEllipse(QRectF(12, 12, 40, 40));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(QRectF(2, 2, 60, 60), Qt::AlignCenter, QStringLiteral("N"));
    return logo;
}

QTextEdit* makeMemo(QWidget* parent, const char* name, int pointSize, bool bold, bool framed)
{
    auto* memo = new QTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setReadOnly(true);
    memo->setFrameShape(framed ? QFrame::StyledPanel : QFrame::NoFrame);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font = memo->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    memo->setFont(font);
    memo->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Base, dialogColour);
    if (bold)
        palette.setColor(QPalette::Text, maroon);
    memo->setPalette(palette);
    memo->setFixedWidth(300);
    return memo;
}

QLabel* makeLink(QWidget* parent, const char* name, const char* address)
{
    auto* link = new QLabel(QString::fromLatin1(address), parent);
    link->setObjectName(QString::fromLatin1(name));
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(palette);
    link->setCursor(Qt::PointingHandCursor);
    return link;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

TAboutPlg1::TAboutPlg1(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutPlg1"));
    setWindowTitle(QStringLiteral("About plug-in"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, dialogColour);
    setPalette(palette);

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(makerLogo());
    m_image1->setScaledContents(true);
    m_image1->setFixedSize(64, 64);
    m_image1->setAttribute(Qt::WA_TranslucentBackground);
    m_image1->setToolTip(QString::fromLatin1(maker::webSite));
    m_image1->setCursor(Qt::PointingHandCursor);
    m_image1->installEventFilter(this);

    m_memPlgName = makeMemo(this, "memPlgName", 12, true, false);
    m_memPlgName->setFixedHeight(48);
    m_memPlgDescr = makeMemo(this, "memPlgDescr", 10, false, true);
    m_memPlgDescr->setFixedHeight(72);

    m_laPlgVers = makeLabel(this, "laPlgVers", QStringLiteral("Version:  "));

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);

    auto* notice = makeLabel(this, "laNotice", QString::fromLatin1(maker::notice));
    notice->setAlignment(Qt::AlignHCenter);

    m_laSupport = makeLink(this, "laSupport", maker::supportMail);
    m_laSupport->installEventFilter(this);
    m_laAuthor = makeLink(this, "laAuthor", maker::authorMail);
    m_laAuthor->installEventFilter(this);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("btClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(m_image1, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(m_memPlgName);
    texts->addWidget(m_laPlgVers, 0, Qt::AlignHCenter);
    texts->addWidget(m_memPlgDescr);
    top->addLayout(texts);

    auto* links = new QGridLayout;
    links->addWidget(makeLabel(this, "Label5", QStringLiteral("Support: ")), 0, 0, Qt::AlignRight);
    links->addWidget(m_laSupport, 0, 1, Qt::AlignLeft);
    links->addWidget(makeLabel(this, "Label6", QStringLiteral("Author: ")), 1, 0, Qt::AlignRight);
    links->addWidget(m_laAuthor, 1, 1, Qt::AlignLeft);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(bevel);
    layout->addWidget(notice);
    layout->addLayout(links);
    layout->addWidget(close, 0, Qt::AlignHCenter);
    // A dialog border: the content decides the size.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutPlg1::setPlugin(const QString& name, const QString& version, const QString& description)
{
    m_memPlgName->setPlainText(name);
    m_laPlgVers->setText(version);
    m_memPlgDescr->setPlainText(description);
}

bool TAboutPlg1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_image1)
            Image1Click();
        else if (watched == m_laSupport)
            laSupportClick();
        else if (watched == m_laAuthor)
            laAuthorClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutPlg1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutPlg1::Image1Click()
{
    guarded([] { shell().open(QString::fromLatin1(maker::webSite)); });
}

void TAboutPlg1::laSupportClick()
{
    guarded([this] { shell().open(QStringLiteral("mailto:") + m_laSupport->text()); });
}

void TAboutPlg1::laAuthorClick()
{
    guarded([this] { shell().open(QStringLiteral("mailto:") + m_laAuthor->text()); });
}
