#pragma once
// The program's bitmaps and icons, by their resource numbers (5000-5004, 1003, 1004).

#include <QIcon>
#include <QPixmap>

namespace framework {

// A null pixmap when there is no such bitmap. GUI thread.
QPixmap loadBitmap(int id);
QIcon loadIcon(int id);

}  // namespace framework
