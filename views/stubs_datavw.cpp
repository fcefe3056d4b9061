// Placeholder bodies until the views are built.
#include "aidatavw.h"
#include "aidoc.h"
#include "aihistdoc.h"

namespace nuv {
CAIDataVw::CAIDataVw(QWidget* parent) : QTreeWidget(parent) {}
void CAIDataVw::OnInitialUpdate() {}
void CAIDataVw::SetRowCount(uint32_t) {}
} // namespace nuv
