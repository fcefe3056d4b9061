// Placeholder bodies until the calibration dialog is built.
#include "aical.h"
namespace nuv {
CAICal::CAICal(QWidget* parent) : QDialog(parent) {}
CAICal::~CAICal() = default;
} // namespace nuv
