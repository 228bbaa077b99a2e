#include "WidgetImages.h"

#include "DBNavigator.h"

#include <QToolButton>

// At file scope: the resource initialiser is declared in the global namespace.
static void initWidgetResources()
{
    // A static library's resources register only when something calls them in.
    static const bool done = [] {
        Q_INIT_RESOURCE(widgets);
        return true;
    }();
    Q_UNUSED(done);
}

QString widgetImagePath(const QString& name)
{
    initWidgetResources();
    return QStringLiteral(":/") + name;
}

QPixmap widgetImage(const QString& name)
{
    return QPixmap(widgetImagePath(name), "PNG");
}

QPixmap sortGlyph(bool ascending)
{
    return widgetImage(ascending ? QStringLiteral("SORT_ASC") : QStringLiteral("SORT_DESC"));
}

QIcon iconFromGlyph(const QPixmap& glyph)
{
    QIcon icon;
    if (glyph.isNull())
        return icon;
    const int half = glyph.width() / 2;
    icon.addPixmap(glyph.copy(0, 0, half, glyph.height()), QIcon::Normal);
    icon.addPixmap(glyph.copy(half, 0, glyph.width() - half, glyph.height()), QIcon::Disabled);
    return icon;
}

void loadNavigatorGlyphs(DBNavigator& navigator)
{
    for (const DBNavigator::Button b : DBNavigator::kButtons) {
        const QPixmap glyph
            = widgetImage(QStringLiteral("DBN_") + DBNavigator::buttonName(b) + QLatin1Char('2'));
        if (!glyph.isNull())
            navigator.button(b)->setIcon(iconFromGlyph(glyph));
    }
}
