#include "ui/window_on_screen.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <vector>

#include "ui/store_group.h"
#include "ui/window_place.h"

namespace gt7p {

namespace {

const QString kPlaceKey = QStringLiteral("place");

ScreenRect FromQt(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
QRect ToQt(const ScreenRect& r) { return QRect(r.left, r.top, r.width, r.height); }

// The screens' available areas, the primary first.
std::vector<ScreenRect> Screens() {
  std::vector<ScreenRect> screens;
  if (QScreen* primary = QGuiApplication::primaryScreen()) screens.push_back(FromQt(primary->availableGeometry()));
  for (QScreen* s : QGuiApplication::screens())
    if (s != QGuiApplication::primaryScreen()) screens.push_back(FromQt(s->availableGeometry()));
  return screens;
}

}  // namespace

void RestoreWindowPlace(QWidget& window, const QString& group, QSize wanted) {
  const std::vector<ScreenRect> screens = Screens();
  const std::optional<WindowPlace> kept =
      ParseWindowPlace(StoreGroup(group).Value(kPlaceKey).toString().toStdString());
  const ScreenRect first = FirstPlace(wanted.width(), wanted.height(), 0.92, screens);
  const QSize smallest = window.minimumSizeHint().expandedTo(window.minimumSize());
  const ScreenRect place =
      FitOnScreens(kept ? kept->inside : first, FrameMargins{}, screens, smallest.width(), smallest.height());
  window.setGeometry(ToQt(place));
  if (kept && kept->maximised) window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void FitWindowOnScreens(QWidget& window) {
  if (window.isMaximized() || window.isFullScreen()) return;
  const QRect inside = window.geometry(), outside = window.frameGeometry();
  const FrameMargins frame{inside.left() - outside.left(), inside.top() - outside.top(),
                           outside.right() - inside.right(), outside.bottom() - inside.bottom()};
  const QSize smallest = window.minimumSizeHint().expandedTo(window.minimumSize());
  const QRect fitted = ToQt(FitOnScreens(FromQt(inside), frame, Screens(), smallest.width(), smallest.height()));
  if (fitted.size() != inside.size()) window.resize(fitted.size());
  if (fitted.topLeft() != inside.topLeft()) window.move(fitted.topLeft() - QPoint(frame.left, frame.top));
}

void SaveWindowPlace(const QWidget& window, const QString& group) {
  WindowPlace place;
  place.inside = FromQt(window.isMaximized() || window.isFullScreen() ? window.normalGeometry() : window.geometry());
  place.maximised = window.isMaximized();
  if (place.inside.empty()) return;
  StoreGroup(group).SetValue(kPlaceKey, QString::fromStdString(WindowPlaceText(place)));
}

void CentreOnScreen(QWidget& window) {
  const std::vector<ScreenRect> screens = Screens();
  if (screens.empty()) return;
  const QRect inside = window.geometry(), outside = window.frameGeometry();
  const ScreenRect& primary = screens.front();
  ScreenRect centred = FromQt(inside);
  centred.left = primary.left + (primary.width - outside.width()) / 2 + (inside.left() - outside.left());
  centred.top = primary.top + (primary.height - outside.height()) / 2 + (inside.top() - outside.top());
  window.setGeometry(ToQt(centred));
  FitWindowOnScreens(window);
}

}  // namespace gt7p
