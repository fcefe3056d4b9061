#include "dio/diodoc.h"

namespace nuv {

CDIODoc::CDIODoc() = default;

} // namespace nuv
