// Message dispatch and painting on the headless backend: posted and sent
// messages through a subclassed window procedure, and a full invalidate-paint
// cycle of a window with 100 child windows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/backend/Headless.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "platform/win/Windows.h"

namespace {

using namespace win;

constexpr UINT kBenchMessage = WM_USER + 7;
constexpr int kBatch = 1000;  // posted messages queued before the queue is drained

uint64_t Handled = 0;
uint64_t Paints = 0;
WNDPROC OriginalProc;

LRESULT BaseProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == kBenchMessage) return LRESULT(w + 1);
  return DefWindowProcW(h, m, w, l);
}

// The subclass: counts, then hands every message to the original procedure.
LRESULT SubclassProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == kBenchMessage) ++Handled;
  return CallWindowProcW(OriginalProc, h, m, w, l);
}

// A child that paints itself as a grid control's cell would: fill, frame, caption.
LRESULT ChildProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(h, &ps);
    RECT rc{};
    GetClientRect(h, &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &rc, GetSysColorBrush(COLOR_BTNSHADOW));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, u"Düğme", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(h, &ps);
    ++Paints;
    return 0;
  }
  if (m == WM_ERASEBKGND) return 1;  // the paint fills every pixel
  return DefWindowProcW(h, m, w, l);
}

LRESULT ParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(h, &ps);
    FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_WINDOW));
    EndPaint(h, &ps);
    ++Paints;
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSW c;
  c.hInstance = HInstance;
  c.lpfnWndProc = &BaseProc;
  c.lpszClassName = u"BenchTarget";
  RegisterClassW(&c);
  c.lpfnWndProc = &ParentProc;
  c.lpszClassName = u"BenchParent";
  RegisterClassW(&c);
  c.lpfnWndProc = &ChildProc;
  c.lpszClassName = u"BenchChild";
  RegisterClassW(&c);
}

// A hidden top-level window whose procedure is replaced by SubclassProc.
HWND MakeSubclassedWindow() {
  RegisterClasses();
  HWND h = CreateWindowExW(0, u"BenchTarget", u"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, HInstance,
                           nullptr);
  OriginalProc = WNDPROC::FromLongPtr(SetWindowLongPtrW(h, GWLP_WNDPROC, WNDPROC(&SubclassProc).ToLongPtr()));
  return h;
}

void BM_PostedMessages(benchmark::State& state) {
  backend::THeadlessBackend screen;
  HWND h = MakeSubclassedWindow();
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  Handled = 0;
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) PostMessageW(h, kBenchMessage, WPARAM(i), 0);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  const double n = double(state.iterations()) * kBatch;
  if (double(Handled) != n) state.SkipWithError("posted messages were lost");
  state.counters["msgs_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
  state.counters["goal_msgs_per_s"] = 2e6;
  DestroyWindow(h);
}
BENCHMARK(BM_PostedMessages)->Unit(benchmark::kMicrosecond);

void BM_SentMessages(benchmark::State& state) {
  backend::THeadlessBackend screen;
  HWND h = MakeSubclassedWindow();
  Handled = 0;
  LRESULT sum = 0;
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) sum += SendMessageW(h, kBenchMessage, WPARAM(i), 0);
  }
  benchmark::DoNotOptimize(sum);
  const double n = double(state.iterations()) * kBatch;
  if (double(Handled) != n) state.SkipWithError("sent messages were lost");
  state.counters["msgs_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
  state.counters["goal_msgs_per_s"] = 2e6;
  DestroyWindow(h);
}
BENCHMARK(BM_SentMessages)->Unit(benchmark::kMicrosecond);

// Invalidate the whole window with its children, then let the queue paint
// all 101 windows.
void BM_PaintCycle100Children(benchmark::State& state) {
  backend::THeadlessBackend screen;
  RegisterClasses();
  HWND parent = CreateWindowExW(0, u"BenchParent", u"Paint", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 820,
                                640, nullptr, nullptr, HInstance, nullptr);
  for (int i = 0; i < 100; ++i)
    CreateWindowExW(0, u"BenchChild", u"", WS_CHILD | WS_VISIBLE, 10 + (i % 10) * 78, 10 + (i / 10) * 58, 74, 54,
                    parent, nullptr, HInstance, nullptr);
  ShowWindow(parent, SW_SHOWNORMAL);
  screen.ProcessMessages();
  Paints = 0;
  for (auto _ : state) {
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    screen.ProcessMessages();
  }
  state.counters["paints_per_cycle"] = double(Paints) / double(state.iterations());
  state.counters["goal_ms"] = 2.0;
  DestroyWindow(parent);
  screen.ProcessMessages();
}
BENCHMARK(BM_PaintCycle100Children)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
