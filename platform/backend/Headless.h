// The headless backend: a virtual screen in memory that composes the
// top-level windows by z-order (window regions, constant alpha, colour key
// and per-pixel alpha), input injected through the window system's own
// input path, the current cursor recorded, and screenshots to PNG.
//
// Tests and machines without a display use it:
//
//   backend::THeadlessBackend screen;        // 1280 x 1024, installed
//   screen.Click(100, 80);                   // mouse down and up at a screen point
//   screen.ProcessMessages();                // runs the queue until it is empty
//   screen.SaveScreenshot(u"/tmp/shot.png");
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/win/Backend.h"

namespace backend {

class THeadlessBackend : public win::TBackend {
 public:
  // Installs itself as the window system's backend with a screen of the
  // given size; the destructor uninstalls it.
  explicit THeadlessBackend(int Width = 1280, int Height = 1024);
  ~THeadlessBackend() override;
  THeadlessBackend(const THeadlessBackend&) = delete;
  THeadlessBackend& operator=(const THeadlessBackend&) = delete;

  // The screen: paints pending windows, then composes the desktop colour
  // and the visible top-level windows, bottom first (ComposeScreen: what
  // screen DCs drew stays where the windows did not change).
  void Compose();
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // A composed pixel as a COLORREF (Compose first).
  win::COLORREF Pixel(int X, int Y) const;
  const std::vector<uint32_t>& Pixels() const { return FPixels; }

  // Composes and writes the screen, or one window's backing store (its
  // whole window, frame included), as PNG.
  std::vector<uint8_t> ScreenPng();
  std::vector<uint8_t> WindowPng(win::HWND Wnd);
  bool SaveScreenshot(const String& FileName);
  bool SaveWindowShot(win::HWND Wnd, const String& FileName);

  // Input in screen coordinates; each call posts the messages the way real
  // input does (hit test, capture, double clicks, key state).
  void MouseMove(int X, int Y);
  void MouseDown(int X, int Y, int Button = 0x01 /* VK_LBUTTON */);
  void MouseUp(int X, int Y, int Button = 0x01);
  void Click(int X, int Y, int Button = 0x01);
  void DoubleClick(int X, int Y, int Button = 0x01);
  void Wheel(int X, int Y, int Delta, bool Horizontal = false);
  void KeyDown(win::UINT VirtualKey, win::UINT Repeat = 1);
  void KeyUp(win::UINT VirtualKey);
  // Down and up.
  void KeyPress(win::UINT VirtualKey);
  // Types text through the keyboard layout (VkKeyScanW with Shift, Ctrl and
  // AltGr as needed); characters the layout lacks arrive as input-method
  // characters.
  void TypeText(const String& Text);

  // Dispatches messages (translated) until the queue is empty; answers the
  // number dispatched. A WM_QUIT met is put back and ends the run.
  int ProcessMessages();

  // The cursor the window system set last.
  win::HCURSOR Cursor() const { return FCursor; }

  void CursorChanged(win::HCURSOR Cursor) override { FCursor = Cursor; }

  // Outside services are recorded, in order, and succeed: the sounds played
  // (an empty name: stopped) and the documents handed to the opener. Tests
  // read and clear the lists.
  bool PlaySound(const String& Name, win::DWORD Flags) override;
  bool OpenDocument(const String& Target) override;
  std::vector<String>& Sounds() { return FSounds; }
  std::vector<String>& OpenedDocuments() { return FOpened; }

 private:
  int FWidth = 0, FHeight = 0;
  std::vector<uint32_t> FPixels;
  win::HCURSOR FCursor{};
  std::vector<String> FSounds, FOpened;
  win::TBackend* FPrevious{};
};

}  // namespace backend
