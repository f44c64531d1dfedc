// Panels, bevels, images and timers on forms of the headless screen.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/win/Backend.h"
#include "tests/platform/vcl/FormsTestFixture.h"
#include "tests/platform/vcl/VclTestSupport.h"

using namespace win;
using formstest::FormsFixture;

namespace {

class TExtEvents : public TObject {
  CL_CLASS(TExtEvents, TObject)
 public:
  std::vector<std::string> Log;
  bool Raise = false;
  void Tick(TObject*) {
    Log.push_back("tick");
    if (Raise) throw EConvertError(u"bozuk");
  }
  void Failed(TObject*, const Exception& E) { Log.push_back("error:" + std::string(E.what())); }
};
CL_IMPLEMENT_CLASS(TExtEvents)

class ExtCtrlsTest : public FormsFixture {
 protected:
  void SetUp() override {
    FormsFixture::SetUp();
    Events = New<TExtEvents>();
    Form = MakeForm(40, 40, 400, 300);
    Form->SetColor(clWhite);
  }
  void TearDown() override {
    if (HasFailure()) Display.SaveScreenshot(vcltest::TempPath("extctrls", "failed.png"));
    FormsFixture::TearDown();
    FreeAndNil(Events);
  }
  template <class T>
  T* Add(int Left, int Top, int Width, int Height) {
    T* c = New<T>(static_cast<TComponent*>(Form));
    c->SetBounds(Left, Top, Width, Height);
    c->SetParent(Form);
    return c;
  }
  TColor Pixel(TControl* C, int X, int Y) {
    TPoint p = C->ClientToScreen(TPoint{X, Y});
    Display.Compose();
    return TColor(Display.Pixel(p.X, p.Y));
  }

  TForm* Form{};
  TExtEvents* Events{};
};

TColor Rgb(TColor C) { return TColor(ColorToRGB(C)); }

}  // namespace

TEST_F(ExtCtrlsTest, PanelDrawsItsBevelsBorderAndFace) {
  struct TCase {
    const char* Name;
    TBevelCut Outer, Inner;
    int Width, Border;
    // pixels along the top-left to bottom-right diagonal, from the corner
    std::vector<TColor> TopLeft, BottomRight;
  };
  const TColor hi = Rgb(clBtnHighlight), sh = Rgb(clBtnShadow), face = Rgb(clBtnFace);
  const TCase cases[] = {
      {"raised", bvRaised, bvNone, 1, 0, {hi, face}, {sh, face}},
      {"lowered", bvLowered, bvNone, 1, 0, {sh, face}, {hi, face}},
      {"wide", bvRaised, bvNone, 2, 0, {hi, hi, face}, {sh, sh, face}},
      {"outer, border, inner", bvRaised, bvLowered, 1, 2, {hi, face, face, sh, face}, {sh, face, face, hi, face}},
      {"none", bvNone, bvNone, 1, 0, {face}, {face}},
  };
  TPanel* panel = Add<TPanel>(20, 20, 100, 60);
  Form->Show();
  Pump();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    panel->SetBevelOuter(c.Outer);
    panel->SetBevelInner(c.Inner);
    panel->SetBevelWidth(c.Width);
    panel->SetBorderWidth(c.Border);
    Pump();
    for (size_t i = 0; i < c.TopLeft.size(); ++i) {
      int d = int(i);
      EXPECT_EQ(Pixel(panel, d, d), c.TopLeft[i]) << "top left " << d;
      EXPECT_EQ(Pixel(panel, 50, d), c.TopLeft[i]) << "top edge " << d;
      EXPECT_EQ(Pixel(panel, 99 - d, 59 - d), c.BottomRight[i]) << "bottom right " << d;
      EXPECT_EQ(Pixel(panel, 99 - d, 30), c.BottomRight[i]) << "right edge " << d;
    }
    // the client area left for children is inside the bevels and border
    int inset = (c.Outer != bvNone ? c.Width : 0) + (c.Inner != bvNone ? c.Width : 0) + c.Border;
    TPanel* child = Add<TPanel>(0, 0, 10, 10);
    child->SetParent(panel);
    child->SetAlign(alClient);
    EXPECT_EQ(child->Left(), inset);
    EXPECT_EQ(child->Width(), 100 - 2 * inset);
    Free(child);
  }
}

TEST_F(ExtCtrlsTest, PanelCaptionIsAlignedInsideTheBevel) {
  TPanel* panel = Add<TPanel>(20, 20, 200, 40);
  panel->SetCaption(u"MMM");
  panel->SetAlignment(taLeftJustify);
  Form->Show();
  Pump();
  auto firstDark = [&]() {
    for (int x = 0; x < panel->Width(); ++x)
      if ((Pixel(panel, x, 20) & 0xFF) < 0x80) return x;
    return -1;
  };
  int left = firstDark();
  EXPECT_GE(left, 1);
  EXPECT_LT(left, 8);
  panel->SetAlignment(taRightJustify);
  Pump();
  EXPECT_GT(firstDark(), 150);
}

TEST_F(ExtCtrlsTest, BevelShapesDrawTheirLines) {
  struct TCase {
    TBevelShape Shape;
    TBevelStyle Style;
    TPoint Dark, Light;  // a pixel of each colour
  };
  const TCase cases[] = {
      {bsBox, bsLowered, {0, 10}, {29, 10}},  {bsBox, bsRaised, {29, 10}, {0, 10}},
      {bsTopLine, bsLowered, {10, 0}, {10, 1}}, {bsBottomLine, bsLowered, {10, 18}, {10, 19}},
      {bsLeftLine, bsLowered, {0, 10}, {1, 10}}, {bsRightLine, bsLowered, {28, 10}, {29, 10}},
      {bsFrame, bsLowered, {0, 10}, {1, 10}},
  };
  TBevel* bevel = Add<TBevel>(20, 20, 30, 20);
  Form->Show();
  Pump();
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.Shape) * 10 + int(c.Style));
    bevel->SetShape(c.Shape);
    bevel->SetStyle(c.Style);
    Pump();
    EXPECT_EQ(Pixel(bevel, c.Dark.X, c.Dark.Y), Rgb(clBtnShadow));
    EXPECT_EQ(Pixel(bevel, c.Light.X, c.Light.Y), Rgb(clBtnHighlight));
    EXPECT_EQ(Pixel(bevel, 15, 10), clWhite);  // the middle shows the form
  }
}

TEST_F(ExtCtrlsTest, ImagePlacesItsPictureByStretchCenterAndProportional) {
  TImage* image = Add<TImage>(10, 10, 100, 50);
  auto bmp = vcltest::MakeBitmap(40, 20, clRed);
  image->Picture()->SetBitmap(bmp.get());
  struct TCase {
    const char* Name;
    bool Stretch, Center, Proportional;
    TRect Expected;
  };
  const TCase cases[] = {
      {"plain", false, false, false, {0, 0, 40, 20}},
      {"centred", false, true, false, {30, 15, 70, 35}},
      {"stretched", true, false, false, {0, 0, 100, 50}},
      {"proportional stretch", true, false, true, {0, 0, 100, 50}},
      {"proportional fits", false, false, true, {0, 0, 40, 20}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    image->SetStretch(c.Stretch);
    image->SetCenter(c.Center);
    image->SetProportional(c.Proportional);
    TRect r = image->DestRect();
    EXPECT_EQ(r.Left, c.Expected.Left);
    EXPECT_EQ(r.Top, c.Expected.Top);
    EXPECT_EQ(r.Right, c.Expected.Right);
    EXPECT_EQ(r.Bottom, c.Expected.Bottom);
  }
  // a picture larger than the control shrinks to fit with Proportional
  image->SetStretch(false);
  image->SetCenter(true);
  auto wide = vcltest::MakeBitmap(400, 100, clBlue);
  image->Picture()->SetBitmap(wide.get());
  TRect r = image->DestRect();
  EXPECT_EQ(r.Right - r.Left, 100);
  EXPECT_EQ(r.Bottom - r.Top, 25);
  EXPECT_EQ(r.Top, 12);
  // drawn on the screen
  Form->Show();
  Pump();
  EXPECT_EQ(Pixel(image, 50, 25), clBlue);
  EXPECT_EQ(Pixel(image, 50, 5), clWhite);
  // AutoSize takes the picture's size
  image->SetAutoSize(true);
  image->Picture()->SetBitmap(bmp.get());
  EXPECT_EQ(image->Width(), 40);
  EXPECT_EQ(image->Height(), 20);
  // the canvas draws into the bitmap
  image->Canvas()->Brush()->SetColor(clLime);
  image->Canvas()->FillRect(TRect{0, 0, 5, 5});
  EXPECT_EQ(image->Picture()->Bitmap()->Canvas()->Pixels(2, 2), clLime);
}

TEST_F(ExtCtrlsTest, TimerFiresOnTheManualClockWhileEnabled) {
  SetManualClock(true);
  TTimer* timer = New<TTimer>(static_cast<TComponent*>(Form));
  timer->SetInterval(100);
  timer->SetOnTimer(TNotifyEvent(Events, &TExtEvents::Tick));
  Application->SetOnException(TExceptionEvent(Events, &TExtEvents::Failed));
  struct TStep {
    const char* Name;
    DWORD Advance;
    std::function<void()> Before;
    size_t Ticks;  // total so far
  };
  const TStep steps[] = {
      {"not yet", 99, nullptr, 0},
      {"first", 1, nullptr, 1},
      {"second", 100, nullptr, 2},
      {"disabled", 300, [&] { timer->SetEnabled(false); }, 2},
      {"enabled again restarts", 99, [&] { timer->SetEnabled(true); }, 2},
      {"after the full interval", 1, nullptr, 3},
      {"a new interval", 49, [&] { timer->SetInterval(50); }, 3},
      {"its first tick", 1, nullptr, 4},
      {"no handler, no timer", 500, [&] { timer->SetOnTimer(TNotifyEvent()); }, 4},
  };
  for (const TStep& s : steps) {
    SCOPED_TRACE(s.Name);
    if (s.Before) s.Before();
    AdvanceManualClock(s.Advance);
    Pump();
    EXPECT_EQ(Events->Log.size(), s.Ticks);
  }
  // an exception of the handler goes to the application
  Events->Log.clear();
  timer->SetOnTimer(TNotifyEvent(Events, &TExtEvents::Tick));
  Events->Raise = true;
  AdvanceManualClock(50);
  Pump();
  EXPECT_EQ(Events->Log, (std::vector<std::string>{"tick", "error:bozuk"}));
  Application->SetOnException(TExceptionEvent());
  Free(timer);
  AdvanceManualClock(500);
  Pump();
  EXPECT_EQ(Events->Log.size(), 2u);
}
