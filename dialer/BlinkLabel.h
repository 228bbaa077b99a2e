#pragma once

#include <QColor>
#include <QLabel>

class QTimer;

// A label whose text, while blinking is on, is drawn for 700 ms in the font
// colour and for 700 ms in the blink colour, alternately. With blinking off
// the text is drawn in the font colour until blinking has been on once, and
// from then on in the blink colour. The phase timer is the child "blinkTimer".
class BlinkLabel : public QLabel
{
    Q_OBJECT

public:
    static constexpr int kPhaseMs = 700;

    explicit BlinkLabel(QWidget* parent = nullptr);

    void setFontColor(const QColor& color);
    const QColor& fontColor() const { return m_fontColor; }
    void setBlinkColor(const QColor& color);
    const QColor& blinkColor() const { return m_blinkColor; }
    void setBlinking(bool on);
    bool isBlinking() const { return m_blinking; }

    // The colour the text is drawn in now.
    QColor shownColor() const { return m_showBlinkColor ? m_blinkColor : m_fontColor; }

private:
    void nextPhase();
    void applyColor();

    QTimer* m_timer;
    QColor m_fontColor = Qt::white;
    QColor m_blinkColor = Qt::blue;
    bool m_blinking = false;
    bool m_showBlinkColor = false;
};
