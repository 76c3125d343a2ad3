#include "wizard/AboutForm.h"

namespace tarvex {

namespace {
constexpr char kCaption[] = "Setup Tarvex";
constexpr char kTitle[] = "Setup Tarvex";
} // namespace

TfmAboutBox::TfmAboutBox()
{
    form_.SetCaption(kCaption);
    Label1.SetText(kTitle);
    ulblWWW.SetPosition(47, 8);
    ulblemail.SetPosition(71, 30);
}

} // namespace tarvex
