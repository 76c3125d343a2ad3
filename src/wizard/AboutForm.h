#pragma once
// TfmAboutBox: the about dialog the wizard shows, with the product's name
// in its captions and the two links set a little lower.
#include "wizard/AboutBox.h"

namespace tarvex {

class TfmAboutBox : public TAboutBox {
public:
    TfmAboutBox();
};

} // namespace tarvex
