#pragma once
// TAboutBox: the about dialog's layout and behaviour. Double-clicking the
// logo hides the information and sets the logo bouncing around the dialog;
// a click on the background or another double-click puts everything back.
#include "components/SuperTimer.h"
#include "components/UrlLabel.h"
#include "platform/Ui.h"

namespace tarvex {

// The bouncing image's place and direction.
struct TBounce {
    int left = 0;
    int top = 0;
    int stepX = 0;
    int stepY = 0;

    friend bool operator==(const TBounce&, const TBounce&) = default;
};

// One tick: the image moves by its steps, then turns at the edges of the
// window, tested at the new place with the later test winning. The right
// edge is measured with the picture's own width, the bottom edge with the
// image's height and 4 pixels, both against the window's outer size.
TBounce BounceStep(const TBounce& at, platform::Size window, int pictureWidth, int imageHeight);

class TAboutBox {
public:
    static constexpr int kClientWidth = 261;
    static constexpr int kClientHeight = 206;
    static constexpr int kStep = 4;

    TAboutBox();
    ~TAboutBox();
    TAboutBox(const TAboutBox&) = delete;
    TAboutBox& operator=(const TAboutBox&) = delete;

    // Returns when the dialog closes.
    void ShowModal() { form_.ShowModal(); }
    platform::Form& Window() { return form_; }
    const platform::Form& Window() const { return form_; }

    void FormCreate();
    // Starts the bouncing when the timer is off, stops it when it runs.
    void piLogoDblClick();
    void tmMoveTimer();

    int StepX() const { return StepX_; }
    int StepY() const { return StepY_; }

protected:
    platform::Form form_;

private:
    // What piMove refers to until the first start; never shows anything.
    platform::Image movePlaceholder_;

public:
    platform::Image* piMove;
    platform::Panel pnAbout;
    platform::Label Label1;
    platform::Label Label2;
    platform::Label Label3;
    platform::Label Label4;
    platform::Label Label5;
    platform::Image piLogo;
    platform::Panel pnWeb;
    TUrlLabel ulblWWW;
    TUrlLabel ulblemail;
    platform::Button btnOK;
    // Last: it goes first, so no tick reaches controls being destroyed.
    TSuperTimer tmMove;

private:
    int LogoLeft_ = 0;
    int LogoTop_ = 0;
    int StepX_ = 0;
    int StepY_ = 0;
};

} // namespace tarvex
