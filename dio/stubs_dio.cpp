// Placeholder bodies until the DIO panel is built.
#include "diodoc.h"
#include "diovw.h"

namespace nuv {
CDIODoc::CDIODoc() {}
CDIOVw::CDIOVw(QWidget* parent) : QWidget(parent) {}
CDIOVw::~CDIOVw() = default;
void CDIOVw::OnInitialUpdate() {}
} // namespace nuv
