#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class DBNavigator;

// The program's own pictures, built into the widget library as resources:
//   "DBN_FIRST2" ... "DBN_REFRESH2"  the navigator's glyphs, each two 16 by 16
//                                    halves side by side (enabled, disabled);
//   "SORT_ASC", "SORT_DESC"          16 by 16 sort glyphs: a triangle pointing
//                                    down (ascending) and up (descending);
//   "POPUP_EMAIL", "POPUP_BROWSER", "POPUP_FAX"  16 by 16 pop-up pictures.

// The picture of that name; a null pixmap when there is none.
QPixmap widgetImage(const QString& name);
// The resource path of a picture, for QIcon or style sheets.
QString widgetImagePath(const QString& name);
QPixmap sortGlyph(bool ascending);

// A glyph of two halves as an icon: the left half for the normal state, the
// right half for the disabled state.
QIcon iconFromGlyph(const QPixmap& glyph);

// Gives each of the navigator's ten buttons, in their fixed order, the glyph
// "DBN_" + name + "2" as its picture.
void loadNavigatorGlyphs(DBNavigator& navigator);
