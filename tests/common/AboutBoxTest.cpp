// The about box: its layout, the start and stop of the bouncing logo, and
// the step-and-turn rule of each tick.
#include "platform/MainThread.h"
#include "wizard/AboutForm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <memory>
#include <thread>

using namespace tarvex;

namespace {

void ExpectAt(const platform::Control& control, int left, int top)
{
    EXPECT_EQ(left, control.GetBounds().left);
    EXPECT_EQ(top, control.GetBounds().top);
}

// ---- One tick of the bounce ----

// The dialog's outer size in these cases: 261 x 206 plus a frame.
constexpr platform::Size kWindow{267, 231};
constexpr int kPicture = 32;
constexpr int kImageHeight = 69;

TBounce Step(int left, int top, int stepX, int stepY, platform::Size window = kWindow)
{
    return BounceStep({left, top, stepX, stepY}, window, kPicture, kImageHeight);
}

TEST(AboutBounce, MovesByBothStepsAwayFromTheEdges)
{
    EXPECT_EQ((TBounce{17, 48, 4, 4}), Step(13, 44, 4, 4));
    EXPECT_EQ((TBounce{96, 16, -4, -4}), Step(100, 20, -4, -4));
    EXPECT_EQ((TBounce{104, 16, 4, -4}), Step(100, 20, 4, -4));
}

TEST(AboutBounce, TurnsAtTheRightOnlyOncePastTheWindowLessThePicture)
{
    // W - p = 235: reaching it is still inside, one pixel past it turns.
    EXPECT_EQ((TBounce{235, 100, 4, 4}), Step(231, 96, 4, 4));
    EXPECT_EQ((TBounce{236, 100, -4, 4}), Step(232, 96, 4, 4));
    EXPECT_EQ((TBounce{239, 100, -4, 4}), Step(235, 96, 4, 4));
}

TEST(AboutBounce, TurnsAtTheLeftAndTopOnlyBelowZero)
{
    EXPECT_EQ((TBounce{0, 0, -4, -4}), Step(4, 4, -4, -4));
    for (int start = 0; start <= 3; ++start) {
        // The position after the move lies between -4 and -1 and is kept.
        TBounce next = Step(start, 100, -4, 4);
        EXPECT_EQ(start - 4, next.left);
        EXPECT_EQ(4, next.stepX) << "left reaching " << next.left;
        next = Step(100, start, 4, -4);
        EXPECT_EQ(start - 4, next.top);
        EXPECT_EQ(4, next.stepY) << "top reaching " << next.top;
    }
}

TEST(AboutBounce, TurnsAtTheBottomWithTheImageHeightAndAMarginAgainstTheOuterHeight)
{
    // H - 69 - 4 = 158 with the outer height 231.
    EXPECT_EQ((TBounce{100, 158, 4, 4}), Step(96, 154, 4, 4));
    EXPECT_EQ((TBounce{100, 159, 4, -4}), Step(96, 155, 4, 4));
}

TEST(AboutBounce, TheLaterTestWinsWhenBothEdgesHold)
{
    // A window narrower than the picture and lower than the image: both
    // tests of an axis hold, and the one against zero comes last.
    TBounce next = Step(2, 2, -4, -4, {20, 40});
    EXPECT_EQ((TBounce{-2, -2, 4, 4}), next);
    next = Step(-2, -2, 4, 4, {20, 40});
    EXPECT_EQ((TBounce{2, 2, -4, -4}), next) << "only the far edges hold";
}

// ---- The dialog ----

TEST(AboutBox, TheWizardsDialogHasTheProductsCaptionsAndLowerLinks)
{
    TfmAboutBox about;
    const platform::Form& form = about.Window();
    EXPECT_EQ("Setup Tarvex", form.Caption());
    EXPECT_EQ(261, form.GetBounds().width);
    EXPECT_EQ(206, form.GetBounds().height);
    EXPECT_EQ(platform::FormBorder::DialogWithoutButtons, form.Border());
    EXPECT_EQ((platform::FontSpec{"Arial", -21, true, false, false, false, platform::clBlack}), form.Font());
    EXPECT_EQ(&about.btnOK, form.ActiveControl());
    EXPECT_EQ(&about.btnOK, form.DefaultButton());

    EXPECT_EQ("Setup Tarvex", about.Label1.Text());
    EXPECT_EQ(platform::TextAlign::Center, about.Label1.Alignment());
    EXPECT_FALSE(about.Label1.AutoSize());
    ExpectAt(about.ulblWWW, 47, 8);
    ExpectAt(about.ulblemail, 71, 30);
    EXPECT_EQ(&about.pnWeb, about.ulblWWW.Parent());
    EXPECT_FALSE(about.ulblWWW.AutoSize()) << "the link keeps its width of 167";

    EXPECT_EQ(20, about.tmMove.Interval());
    EXPECT_FALSE(about.tmMove.Enabled());
    EXPECT_EQ(4, about.StepX());
    EXPECT_EQ(4, about.StepY());
}

TEST(AboutBox, TheBaseDialogKeepsItsOwnCaptionsAndLinkPlaces)
{
    TAboutBox about;
    EXPECT_EQ("About", about.Window().Caption());
    EXPECT_EQ("Program Title", about.Label1.Text());
    ExpectAt(about.ulblWWW, 47, 4);
    ExpectAt(about.ulblemail, 71, 28);
    // Everything down to the web panel lies in the information panel.
    for (const platform::Control* control : std::initializer_list<const platform::Control*>{
             &about.Label1, &about.Label2, &about.Label3, &about.Label4, &about.Label5, &about.piLogo, &about.pnWeb})
        EXPECT_EQ(&about.pnAbout, control->Parent());
    // The version line carries the build's version, with a date after it.
    const std::string& version = about.Label2.Text();
    EXPECT_NE(std::string::npos, version.find(TARVEX_VERSION " (")) << version;
    EXPECT_EQ(')', version.back());
    // The mail link opens the mail program on the address it shows.
    EXPECT_EQ("mailto:" + about.ulblemail.Text(), about.ulblemail.URL);
    EXPECT_EQ(about.ulblWWW.Text(), about.ulblWWW.URL);
}

TEST(AboutBox, StartHidesTheInformationAndMovesTheLogoOntoTheForm)
{
    TfmAboutBox about;
    platform::Form& form = about.Window();
    ASSERT_NE(&about.piLogo, about.piMove) << "a placeholder until the first start";
    EXPECT_FALSE(form.OnClick);

    about.piLogoDblClick();
    EXPECT_FALSE(about.pnAbout.Visible());
    EXPECT_FALSE(about.btnOK.Visible());
    EXPECT_TRUE(about.tmMove.Enabled());
    EXPECT_EQ(&about.piLogo, about.piMove);
    EXPECT_EQ(&form, about.piLogo.Parent());
    EXPECT_TRUE(about.piLogo.Visible());
    ExpectAt(about.piLogo, 13, 44);
    EXPECT_EQ(nullptr, form.DefaultButton()) << "Enter cannot close a bouncing dialog";
    ASSERT_TRUE(form.OnClick);

    // The first tick goes right and down.
    about.tmMoveTimer();
    ExpectAt(about.piLogo, 17, 48);
    about.tmMoveTimer();
    ExpectAt(about.piLogo, 21, 52);

    // A click on the form stops it all and puts the logo back.
    form.Click();
    EXPECT_TRUE(about.pnAbout.Visible());
    EXPECT_TRUE(about.btnOK.Visible());
    EXPECT_FALSE(about.tmMove.Enabled());
    EXPECT_EQ(&about.pnAbout, about.piLogo.Parent());
    ExpectAt(about.piLogo, 13, 44);
    EXPECT_FALSE(form.OnClick);
    EXPECT_EQ(&about.piLogo, about.piMove) << "never set back";
    EXPECT_EQ(&about.btnOK, form.DefaultButton());
}

TEST(AboutBox, ARestartKeepsTheDirectionsAndTheRestingPlace)
{
    TfmAboutBox about;
    const int width = about.Window().WindowSize().width;
    about.piLogoDblClick();
    // Run into the right edge and turn.
    int ticks = 0;
    while (about.StepX() > 0 && ticks++ < 200) about.tmMoveTimer();
    ASSERT_EQ(-4, about.StepX());
    EXPECT_LT(width - 32, about.piLogo.GetBounds().left);
    const int stepY = about.StepY();
    about.piLogoDblClick();
    ExpectAt(about.piLogo, 13, 44);
    EXPECT_EQ(-4, about.StepX());
    EXPECT_EQ(stepY, about.StepY());

    about.piLogoDblClick();
    about.tmMoveTimer();
    ExpectAt(about.piLogo, 9, 44 + stepY);
    about.piLogoDblClick();
}

TEST(AboutBox, TheTimerDrivesTheLogoAndStopsWithTheDialog)
{
    platform::RunMainThreadCalls();
    auto about = std::make_unique<TfmAboutBox>();
    about->piLogoDblClick();
    // Ticks come through the main thread's queue, which a test pumps.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (about->piLogo.GetBounds().left == 13 && std::chrono::steady_clock::now() < until) {
        platform::RunMainThreadCalls();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const platform::Bounds moved = about->piLogo.GetBounds();
    EXPECT_GT(moved.left, 13);
    EXPECT_EQ(0, (moved.left - 13) % 4);
    EXPECT_EQ(moved.left - 13, moved.top - 44) << "both axes, every tick";

    // Closed while bouncing: destruction stops the timer before the controls go.
    about.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    platform::RunMainThreadCalls();
}

} // namespace
