// The command table: item texts, the menus of the four window kinds and the accelerators.
#pragma once

#include "res/resource.h"

#include <QList>
#include <QString>

namespace nuv {

// Separator in a popup's item list.
constexpr int ID_SEPARATOR = 0;

struct PopupDef {
    QString title;
    QList<int> items;
};

// Item text of command `id` in menu `menuId` (IDR_MAINFRAME, IDR_AITYPE, IDR_DIOTYPE,
// IDR_HISTTYPE; texts differ per menu for ID_FILE_CLOSE and ID_APP_EXIT). Empty for an
// unknown id.
QString CommandText(int id, int menuId);

// Popups of menu `menuId` in order; empty for an unknown menu.
QList<PopupDef> MenuDef(int menuId);

// Accelerator table IDR_MAINFRAME: key combination (Qt key | modifiers) and command.
struct AccelDef {
    int key;
    int id;
};
QList<AccelDef> AcceleratorTable();

// First id and count of the recent-file entries (ID_FILE_MRU_FILE1 + 0..15).
constexpr int kRecentFirst = ID_FILE_MRU_FILE1;
constexpr int kRecentCount = 16;

} // namespace nuv
