// The line-state images of the DIO panel: 197 invalid (not read yet), 198 high (on),
// 199 low (off). Drawn here, 16 x 16 pixels.
#pragma once

#include <QPixmap>

namespace nuv {

QPixmap LineStateBitmap(int id);

} // namespace nuv
