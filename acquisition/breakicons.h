// The three thermocouple-break icons of the parameter panel, drawn as small discs:
// 207 grey (not applicable), 208 red (broken), 209 green (normal).
#pragma once

#include <QPixmap>

namespace nuv {

QPixmap BreakIconPixmap(int id);

} // namespace nuv
