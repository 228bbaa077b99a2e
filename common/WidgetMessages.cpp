#include "WidgetMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace {

const QString kAppTitle = QStringLiteral("Orvanta Light");

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

} // namespace

void WidgetMessages::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, kAppTitle, text, QMessageBox::Ok, dialogParent());
    box.exec();
}

void WidgetMessages::showTyped(Kind kind, const QString& text)
{
    switch (kind) {
    case Kind::Information:
        QMessageBox::information(dialogParent(), QStringLiteral("Information"), text);
        break;
    case Kind::Warning:
        QMessageBox::warning(dialogParent(), QStringLiteral("Warning"), text);
        break;
    case Kind::Error:
        QMessageBox::critical(dialogParent(), QStringLiteral("Error"), text);
        break;
    case Kind::Confirmation:
        QMessageBox::question(dialogParent(), QStringLiteral("Confirm"), text,
                              QMessageBox::StandardButtons(QMessageBox::Ok));
        break;
    }
}

bool WidgetMessages::confirm(const QString& text)
{
    return QMessageBox::question(dialogParent(), QStringLiteral("Confirm"), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void WidgetMessages::showError(const QString& text)
{
    QMessageBox::critical(dialogParent(), kAppTitle, text);
}

void WidgetMessages::beep()
{
    QApplication::beep();
}
