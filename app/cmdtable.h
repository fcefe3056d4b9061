// The command table: item texts, the menus of the four window kinds and the accelerators.
#pragma once

#include <QList>
#include <QString>

namespace nuv {

// Separator in a popup's item list.
constexpr int ID_SEPARATOR = 0;

struct PopupDef {
    QString title;
    QList<int> items;
};

// Item text of command `id` in menu `menuId` (128, 129, 173, 182; texts differ per menu for
// 57602 and 57665). Empty for an unknown id.
QString CommandText(int id, int menuId);

// Popups of menu `menuId` in order; empty for an unknown menu.
QList<PopupDef> MenuDef(int menuId);

// Accelerator table 128: key combination (Qt key | modifiers) and command.
struct AccelDef {
    int key;
    int id;
};
QList<AccelDef> AcceleratorTable();

// First and last id of the recent-file entries (57616 + 0..15).
constexpr int kRecentFirst = 57616;
constexpr int kRecentCount = 16;

} // namespace nuv
