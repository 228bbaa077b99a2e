#pragma once

#include "Messages.h"

class QWidget;

// Messages shown in real message boxes, parented to the active window.
class WidgetMessages final : public Messages
{
public:
    void showMessage(const QString& text) override;
    void showTyped(Kind kind, const QString& text) override;
    bool confirm(const QString& text) override;
    void showError(const QString& text) override;
    void beep() override;
};
