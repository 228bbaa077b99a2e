#include "DBNavigator.h"
#include "WidgetImages.h"

#include <QTest>
#include <QToolButton>

// The program's own pictures: every one there under its name and in its
// size, the navigator's two halves, the sort triangles pointing the right
// way, and each navigator button given its own picture.
class TestWidgetImages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void glyphResources_data();
    void glyphResources();
    void sortGlyphsPointTheRightWay();
    void loadNavigatorGlyphsGivesEachButtonItsPicture();
};

void TestWidgetImages::glyphResources_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    for (const DBNavigator::Button b : DBNavigator::kButtons) {
        const QString name = QStringLiteral("DBN_") + DBNavigator::buttonName(b) + QStringLiteral("2");
        QTest::newRow(qPrintable(name)) << name << QSize(32, 16);
    }
    for (const char* name : { "SORT_ASC", "SORT_DESC", "POPUP_EMAIL", "POPUP_BROWSER", "POPUP_FAX" })
        QTest::newRow(name) << QString::fromLatin1(name) << QSize(16, 16);
}

void TestWidgetImages::glyphResources()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    const QImage image = widgetImage(name).toImage();
    QVERIFY2(!image.isNull(), qPrintable(name));
    QCOMPARE(image.size(), size);
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    }
    QVERIFY2(drawn > 10, "a picture, not an empty image");
    if (size.width() == 32) {
        // The disabled half is another picture than the enabled one.
        QVERIFY(image.copy(0, 0, 16, 16) != image.copy(16, 0, 16, 16));
    }
    QVERIFY(widgetImage(QStringLiteral("NO_SUCH_PICTURE")).isNull());
}

void TestWidgetImages::sortGlyphsPointTheRightWay()
{
    // A triangle pointing down is wide at the top.
    const auto widthOfRow = [](const QImage& image, int y) {
        int width = 0;
        for (int x = 0; x < image.width(); ++x)
            width += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        return width;
    };
    const auto widestRow = [&](const QImage& image) {
        int best = 0;
        for (int y = 1; y < image.height(); ++y) {
            if (widthOfRow(image, y) > widthOfRow(image, best))
                best = y;
        }
        return best;
    };
    const auto narrowestDrawnRow = [&](const QImage& image) {
        int best = -1;
        for (int y = 0; y < image.height(); ++y) {
            if (widthOfRow(image, y) > 0 && (best < 0 || widthOfRow(image, y) < widthOfRow(image, best)))
                best = y;
        }
        return best;
    };
    const QImage ascending = sortGlyph(true).toImage();
    const QImage descending = sortGlyph(false).toImage();
    QVERIFY(widestRow(ascending) < narrowestDrawnRow(ascending));
    QVERIFY(widestRow(descending) > narrowestDrawnRow(descending));
}

void TestWidgetImages::loadNavigatorGlyphsGivesEachButtonItsPicture()
{
    DBNavigator navigator;
    for (const DBNavigator::Button b : DBNavigator::kButtons)
        QVERIFY(navigator.button(b)->icon().isNull());
    loadNavigatorGlyphs(navigator);
    QList<QImage> normals;
    for (const DBNavigator::Button b : DBNavigator::kButtons) {
        const QIcon icon = navigator.button(b)->icon();
        QVERIFY(!icon.isNull());
        const QImage normal = icon.pixmap(QSize(16, 16), QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        QCOMPARE(normal.size(), QSize(16, 16));
        const QImage glyph
            = widgetImage(QStringLiteral("DBN_") + DBNavigator::buttonName(b) + QStringLiteral("2"))
                  .toImage()
                  .convertToFormat(normal.format());
        QCOMPARE(normal, glyph.copy(0, 0, 16, 16));
        QCOMPARE(disabled, glyph.copy(16, 0, 16, 16).convertToFormat(disabled.format()));
        for (const QImage& other : normals)
            QVERIFY(other != normal);
        normals.append(normal);
    }
}

QTEST_MAIN(TestWidgetImages)
#include "tst_WidgetImages.moc"
