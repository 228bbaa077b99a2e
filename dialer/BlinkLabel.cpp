#include "BlinkLabel.h"

#include <QPalette>
#include <QTimer>

BlinkLabel::BlinkLabel(QWidget* parent)
    : QLabel(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("blinkTimer"));
    m_timer->setInterval(kPhaseMs);
    connect(m_timer, &QTimer::timeout, this, &BlinkLabel::nextPhase);
    applyColor();
}

void BlinkLabel::setFontColor(const QColor& color)
{
    m_fontColor = color;
    applyColor();
}

void BlinkLabel::setBlinkColor(const QColor& color)
{
    m_blinkColor = color;
    applyColor();
}

void BlinkLabel::setBlinking(bool on)
{
    if (on == m_blinking)
        return;
    m_blinking = on;
    if (on) {
        m_showBlinkColor = false;
        m_timer->start();
    } else {
        m_timer->stop();
        m_showBlinkColor = true;
    }
    applyColor();
}

void BlinkLabel::nextPhase()
{
    m_showBlinkColor = !m_showBlinkColor;
    applyColor();
}

void BlinkLabel::applyColor()
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, shownColor());
    setPalette(p);
}
