#include "TSplashForm.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

constexpr int kWidth = 304;
constexpr int kHeight = 191;

} // namespace

QPixmap TSplashForm::productPicture()
{
    QPixmap picture(kWidth, kHeight);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath outline;
    outline.addRoundedRect(QRectF(9, 3, 286, 184), 28, 28);
    QLinearGradient face(0, 0, 0, kHeight);
    face.setColorAt(0, QColor(89, 172, 214));
    face.setColorAt(1, QColor(24, 84, 140));
    painter.fillPath(outline, face);
    painter.setPen(QPen(QColor(12, 48, 88), 2));
    painter.drawPath(outline);

    // A handset in a ring: the product is about making calls.
    painter.setPen(QPen(QColor(255, 255, 255, 200), 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(30, 40, 70, 70), 30 * 16, 300 * 16);
    QPainterPath handset;
    handset.moveTo(52, 62);
    handset.cubicTo(48, 80, 60, 96, 78, 92);
    painter.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(handset);

    QFont title(QStringLiteral("Liberation Serif"));
    title.setPixelSize(40);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(QColor(128, 0, 0));
    painter.drawText(QRectF(108, 40, 180, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Orvanta"));
    QFont light(QStringLiteral("Liberation Sans"));
    light.setPixelSize(24);
    light.setBold(true);
    painter.setFont(light);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(150, 86, 130, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Light"));
    QFont small(QStringLiteral("Liberation Sans"));
    small.setPixelSize(11);
    painter.setFont(small);
    painter.setPen(QColor(230, 240, 250));
    painter.drawText(QRectF(20, 150, 264, 20), Qt::AlignCenter, QStringLiteral("Loading contacts..."));
    return picture;
}

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_picture(productPicture())
{
    setObjectName(QStringLiteral("SplashForm"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kWidth, kHeight);
    setMask(m_picture.mask());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplashForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void TSplashForm::mousePressEvent(QMouseEvent* event)
{
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TSplashForm::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragOffset);
}
