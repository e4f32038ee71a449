// The program's pictures, drawn in code: the image list of the toolbar and
// the file rows, the target indicator's instrument and memory card, and the
// overwrite prompt's picture.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace gt7p {

// Image list `imglst`: 0 refresh, 3 select all, 4 invert, 5 data file (every
// list row), 6 folder, 7 the folder browser's picture, 8 raw format, 9 ESP,
// 10 QFX, 11 save, 12 help, 13 settings; 1 and 2 are unused blanks.
const std::vector<QIcon>& ImageList();
QPixmap ImageListPixmap(int index, int size = 16);

QPixmap InstrumentPicture();  // 48 x 48
QPixmap CardPicture();        // 48 x 48
QPixmap PromptPicture();      // 49 x 49

}  // namespace gt7p
