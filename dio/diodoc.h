// The DIO window's document: holds nothing but the window's title.
#pragma once

#include "device/mdq4170.h"
#include "framework/document.h"

namespace nuv {

class CDIODoc : public CDocument {
    Q_OBJECT
public:
    CDIODoc();

    // The module whose lines the window drives, handed over by whoever creates the window.
    MDQ4170_HANDLE m_hDevice = MDQ4170_INVALID_HANDLE;
};

} // namespace nuv
