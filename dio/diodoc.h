// The DIO window's document: holds nothing but the window's title.
#pragma once

#include "document.h"

namespace nuv {

class CDIODoc : public CDocument {
    Q_OBJECT
public:
    CDIODoc();
};

} // namespace nuv
