#include "wizard/AboutBox.h"

#include <initializer_list>

namespace tarvex {

namespace {

constexpr char kCaption[] = "About";
constexpr char kTitle[] = "Program Title";
constexpr char kAuthors[] = "The Tarvex team";
constexpr char kVersion[] = "Version " TARVEX_VERSION " (" TARVEX_BUILD_MONTH ")";
constexpr char kTerms[] = "Freeware, no warranty";
constexpr char kDate[] = "Copyright (c) 2026";
constexpr char kWebAddress[] = "http://www.tarvex.org";
constexpr char kMailAddress[] = "setup@tarvex.org";
constexpr char kMailLink[] = "mailto:setup@tarvex.org";
constexpr char kOk[] = "OK";
constexpr char kLogo[] = "LOGO";
constexpr platform::Size kLogoSize{32, 32};
constexpr std::uint16_t kMoveInterval = 20;
// The bottom turn keeps this much below the image, measured from the outer height.
constexpr int kBottomMargin = 4;

platform::FontSpec Arial(int height)
{
    return {"Arial", -height, true, false, false, false, platform::clBlack};
}

const platform::FontSpec kLinkFont{"MS Sans Serif", -11, false, false, true, false, platform::clBlue};

} // namespace

TBounce BounceStep(const TBounce& at, platform::Size window, int pictureWidth, int imageHeight)
{
    TBounce next = at;
    next.top += at.stepY;
    next.left += at.stepX;
    if (window.width - pictureWidth < next.left) next.stepX = -TAboutBox::kStep;
    if (next.left < 0) next.stepX = TAboutBox::kStep;
    if (window.height - imageHeight - kBottomMargin < next.top) next.stepY = -TAboutBox::kStep;
    if (next.top < 0) next.stepY = TAboutBox::kStep;
    return next;
}

TAboutBox::TAboutBox()
    : form_(kClientWidth, kClientHeight, Arial(21), platform::FormBorder::DialogWithoutButtons),
      movePlaceholder_(&form_, {152, 44, 105, 105}),
      piMove(&movePlaceholder_),
      pnAbout(&form_, {0, 0, 261, 169}, platform::Bevel::Raised, platform::Bevel::Lowered),
      Label1(&pnAbout, {3, 8, 254, 24}, kTitle, platform::TextAlign::Center, false, false),
      Label2(&pnAbout, {92, 61, 0, 0}, kVersion),
      Label3(&pnAbout, {92, 42, 0, 0}, kAuthors),
      Label4(&pnAbout, {92, 99, 0, 0}, kDate),
      Label5(&pnAbout, {92, 80, 0, 0}, kTerms),
      piLogo(&pnAbout, {13, 44, 68, 69}),
      pnWeb(&pnAbout, {0, 116, 261, 53}, platform::Bevel::Raised, platform::Bevel::Lowered),
      ulblWWW(&pnWeb, {47, 4, 167, 13}, kWebAddress, false),
      ulblemail(&pnWeb, {71, 28, 92, 13}, kMailAddress, false),
      btnOK(&form_, {92, 175, 77, 27}, kOk)
{
    form_.SetCaption(kCaption);
    pnAbout.SetFont(Arial(16));
    Label1.SetFont(Arial(19));
    Label3.SetFont(Arial(15));
    for (platform::Control* control : std::initializer_list<platform::Control*>{&Label2, &Label4, &Label5, &btnOK})
        control->SetFont(Arial(12));
    piLogo.SetPicture(kLogo, kLogoSize, true, true);
    piLogo.OnDblClick = [this] { piLogoDblClick(); };
    ulblWWW.URL = kWebAddress;
    ulblemail.URL = kMailLink;
    for (TUrlLabel* link : {&ulblWWW, &ulblemail}) link->SetFont(kLinkFont);
    btnOK.SetDefault(true);
    btnOK.OnClick = [this] { form_.Close(); };
    form_.SetActiveControl(btnOK);
    tmMove.SetInterval(kMoveInterval);
    tmMove.OnTimer = [this](TSuperTimer&) { tmMoveTimer(); };
    FormCreate();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::FormCreate()
{
    StepY_ = kStep;
    StepX_ = kStep;
}

void TAboutBox::piLogoDblClick()
{
    if (!tmMove.Enabled()) {
        LogoLeft_ = piLogo.GetBounds().left;
        LogoTop_ = piLogo.GetBounds().top;
        pnAbout.SetVisible(false);
        tmMove.SetEnabled(true);
        piMove = &piLogo;
        piMove->SetVisible(true);
        piMove->SetParent(form_);
        form_.OnClick = [this] { piLogoDblClick(); };
        btnOK.SetVisible(false);
    } else {
        tmMove.SetEnabled(false);
        pnAbout.SetVisible(true);
        piLogo.SetPosition(LogoLeft_, LogoTop_);
        piLogo.SetParent(pnAbout);
        form_.OnClick = nullptr;
        btnOK.SetVisible(true);
    }
}

void TAboutBox::tmMoveTimer()
{
    const platform::Bounds& b = piMove->GetBounds();
    TBounce next = BounceStep({b.left, b.top, StepX_, StepY_}, form_.WindowSize(), piMove->PictureSize().width,
                              b.height);
    piMove->SetPosition(next.left, next.top);
    StepX_ = next.stepX;
    StepY_ = next.stepY;
}

} // namespace tarvex
