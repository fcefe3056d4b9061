// The program's bitmaps, drawn at first use: tab image strips, line-state and
// thermocouple-break icons, the application icon.
#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

namespace nuv {

// One 16-pixel image: IDB_BREAK_NA/BROKEN/OK (207-209), IDB_LINE_INVALID/HIGH/LOW
// (197-199). A null pixmap for other ids.
QPixmap LoadBitmap(int id);

// A strip of four 16-pixel images, split: IDB_WINDOW_TABS (193), IDB_BAR_TABS (111).
QList<QPixmap> LoadImageStrip(int id);

// The application's icon (window icon, About box, desktop entry).
QIcon AppIcon();

} // namespace nuv
