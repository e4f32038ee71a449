// The window's about box: the version, the product's name and the copyright
// as `gt7p-cli --version` prints them (base/version.h). The window has no
// menu bar, so the box is offered by the context menu of the widgets given
// to OfferAboutBox (the toolbar strip and the status line).
#pragma once

#include <initializer_list>

class QWidget;

namespace gt7p {

// The menu item's text.
inline constexpr char kAboutItem[] = "关于数据文件提取软件(&A)";

// Adds the item to the context menu of each of `owners`; it shows the box
// over `window`.
void OfferAboutBox(QWidget* window, std::initializer_list<QWidget*> owners);

// The about box itself, modal over `parent`.
void ShowAboutBox(QWidget* parent);

}  // namespace gt7p
