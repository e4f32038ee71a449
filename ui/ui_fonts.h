// The windows are laid out for the font "宋体". Where it is missing (fontconfig
// knows no alias for it, and falls to a Latin font with Han glyphs from a
// fallback) an installed Song-style CJK font stands in, so that the metrics
// stay close to the layout's.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace gt7p {

inline const QString& SongFamily() {
  static const QString family = QString::fromUtf8("宋体");
  return family;
}

// Safe to call more than once: a family already in the list is not added again.
inline void InstallFontSubstitutes() {
  QFont::insertSubstitutions(SongFamily(), {QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
                                            QStringLiteral("AR PL UMing TW"),
                                            QStringLiteral("Noto Serif CJK SC")});
}

// "宋体" (or its stand-in) at `pixels` pixels.
inline QFont SongFont(int pixels) {
  static const bool installed = (InstallFontSubstitutes(), true);
  (void)installed;
  QFont font(SongFamily());
  font.setPixelSize(pixels);
  return font;
}

}  // namespace gt7p
