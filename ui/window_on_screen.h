// The program's top-level windows on the screens of now (window_place.h
// for the rule): a remembered place restored only where it lands on a
// screen, else moved and shrunk onto one; one that can't be read gives the
// window's first place. The place is kept as the value "place" of the
// window's group in the settings store (store_group.h).
#pragma once

#include <QSize>
#include <QString>

class QWidget;

namespace gt7p {

// Before `window` is first shown: the place its group remembers, else
// `wanted` in size (at most 92 % of the primary screen) centred on the
// primary screen; either fitted on the screens without the frame, which is
// not known yet. A remembered maximised window is maximised again.
void RestoreWindowPlace(QWidget& window, const QString& group, QSize wanted);
// Once shown and framed: the window, frame and title bar included, moved
// (and shrunk) onto the screen it is most on.
void FitWindowOnScreens(QWidget& window);
// Keeps the window's place (its normal place when maximised).
void SaveWindowPlace(const QWidget& window, const QString& group);
// A window of a fixed first place: centred on the primary screen, and on
// it whole.
void CentreOnScreen(QWidget& window);

}  // namespace gt7p
