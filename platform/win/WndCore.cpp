// Window classes, the window table and tree, creation and destruction,
// window longs, text and properties, object-instance window procedures.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/classes/Threads.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Modules.h"
#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

// ---------------------------------------------------------------------------
// Object instances: blocks in fixed chunks, so that telling an instance from
// a plain function is a range test and never touches a function's address.

struct TInstance {
  TWndMethod Method;
  bool Used = false;
  TInstance* NextFree = nullptr;
};
constexpr size_t ChunkSize = 256;
struct TInstancePool {
  std::mutex Lock;
  std::vector<TInstance*> Chunks;
  TInstance* Free = nullptr;
};
TInstancePool& Pool() {
  static TInstancePool* p = new TInstancePool();
  return *p;
}
// The instance at v (nil: none or freed); inPool tells whether v lies in the
// instance pool at all, freed or not.
TInstance* InstanceOf(LONG_PTR v, bool* inPool = nullptr) {
  if (inPool) *inPool = false;
  if (!v) return nullptr;
  auto addr = uintptr_t(v);
  TInstancePool& p = Pool();
  std::lock_guard<std::mutex> g(p.Lock);
  for (TInstance* c : p.Chunks) {
    auto lo = uintptr_t(c), hi = uintptr_t(c + ChunkSize);
    if (addr >= lo && addr < hi) {
      if (inPool) *inPool = true;
      if ((addr - lo) % sizeof(TInstance) != 0) return nullptr;
      auto* inst = reinterpret_cast<TInstance*>(addr);
      return inst->Used ? inst : nullptr;
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// The window table: handle -> window and owning thread.

struct TEntry {
  TWnd* Wnd;
  DWORD Thread;
};
struct TTable {
  std::mutex Lock;
  std::unordered_map<uintptr_t, TEntry> Map;
  uintptr_t Next = 0x10010;
};
TTable& Table() {
  static TTable* t = new TTable();
  return *t;
}
HWND NewHandle(TWnd* w) {
  TTable& t = Table();
  std::lock_guard<std::mutex> g(t.Lock);
  uintptr_t v = t.Next;
  t.Next += 2;
  t.Map[v] = TEntry{w, w->ThreadId};
  return reinterpret_cast<HWND>(v);
}
void DropHandle(HWND h) {
  TTable& t = Table();
  std::lock_guard<std::mutex> g(t.Lock);
  t.Map.erase(reinterpret_cast<uintptr_t>(h));
}

// ---------------------------------------------------------------------------
// Classes

struct TClasses {
  std::vector<std::unique_ptr<TWndClass>> List;
  ATOM NextAtom = 0xC000;
};
TClasses& Classes() {
  static TClasses* c = new TClasses();
  return *c;
}

String NameOf(LPCWSTR p) {
  if (!p) return String();
  if (IS_INTRESOURCE(p)) return u"#" + IntToStr(Integer(reinterpret_cast<uintptr_t>(p)));
  return String(p);
}

bool SameName(const String& a, const String& b) { return SameText(a, b); }

TWndClass* FindClass(LPCWSTR name) {
  if (!name) return nullptr;
  TClasses& cs = Classes();
  if (IS_INTRESOURCE(name)) {
    auto atom = ATOM(reinterpret_cast<uintptr_t>(name));
    for (auto& c : cs.List)
      if (c->Atom == atom) return c.get();
    return nullptr;
  }
  String n(name);
  for (auto& c : cs.List)
    if (SameName(c->Name, n)) return c.get();
  return nullptr;
}

// The built-in classes the window layer itself uses.
void EnsureSystemClasses();

LONG_PTR LongFromHandle(const void* p) { return LONG_PTR(reinterpret_cast<uintptr_t>(p)); }

TWnd* MakeDesktop() {
  auto* d = new TWnd();
  d->ThreadId = MainThreadID;
  d->Style = WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_POPUP;
  SIZE s = ScreenSize();
  d->Window = RECT{0, 0, s.cx, s.cy};
  d->Client = d->Window;
  d->Handle = NewHandle(d);
  d->Created = true;
  return d;
}

TWnd*& DesktopSlot() {
  static TWnd* d = nullptr;
  return d;
}

void Unlink(TWnd* w) {
  if (!w->Parent) return;
  auto& v = w->Parent->Children;
  v.erase(std::remove(v.begin(), v.end(), w), v.end());
}

// Send WM_DESTROY to the window, then to its children (parents first).
void SendDestroy(TWnd* w) {
  HWND h = w->Handle;
  TInputState& in = Input();
  if (in.Capture == h) ReleaseCapture();
  if (in.Focus == h) {
    in.Focus = nullptr;
    SendMessageW(h, WM_KILLFOCUS, 0, 0);
  }
  if (!Find(h)) return;
  SendMessageW(h, WM_DESTROY, 0, 0);
  if (!Find(h)) return;
  std::vector<HWND> kids;
  for (TWnd* c : w->Children) kids.push_back(c->Handle);
  for (HWND k : kids)
    if (TWnd* c = Find(k)) SendDestroy(c);
}

// WM_NCDESTROY to the children first, then the window; frees them.
void FinalDestroy(TWnd* w) {
  std::vector<HWND> kids;
  for (TWnd* c : w->Children) kids.push_back(c->Handle);
  for (HWND k : kids)
    if (TWnd* c = Find(k)) FinalDestroy(c);
  HWND h = w->Handle;
  SendMessageW(h, WM_NCDESTROY, 0, 0);
  if (IsTopLevel(w)) {
    MarkScreenStale();
    if (TBackend* b = CurrentBackend()) b->WindowDestroyed(h);
  }
  ForgetFocus(w);
  ForgetWindow(h);
  ReleaseWindowDCs(w);
  Unlink(w);
  for (TWnd* c : w->Children) c->Parent = nullptr;
  DropHandle(h);
  if (w->Class) --w->Class->Windows;
  if (w->Region) DeleteObject(w->Region);
  if (w->AllocatedInstance) FreeObjectInstance(w->AllocatedInstance);
  delete w;
}

}  // namespace

// ---------------------------------------------------------------------------
// WNDPROC

LRESULT WNDPROC::operator()(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) const {
  if (!FValue) return 0;
  bool inPool = false;
  if (TInstance* inst = InstanceOf(FValue, &inPool)) {
    TWndMethod m = inst->Method;  // the instance may be freed by the call
    TMessage msg;
    msg.Msg = Msg;
    msg.WParam = wParam;
    msg.LParam = lParam;
    m(msg);
    return msg.Result;
  }
  if (inPool) return 0;  // a freed instance: never jump into its memory
  return reinterpret_cast<WNDPROC_FN>(FValue)(hWnd, Msg, wParam, lParam);
}

bool WNDPROC::IsObjectInstance() const { return InstanceOf(FValue) != nullptr; }

WNDPROC MakeObjectInstance(const TWndMethod& Method) {
  TInstancePool& p = Pool();
  std::lock_guard<std::mutex> g(p.Lock);
  if (!p.Free) {
    auto* chunk = new TInstance[ChunkSize];
    for (size_t i = ChunkSize; i-- > 0;) {
      chunk[i].NextFree = p.Free;
      p.Free = &chunk[i];
    }
    p.Chunks.push_back(chunk);
  }
  TInstance* inst = p.Free;
  p.Free = inst->NextFree;
  inst->NextFree = nullptr;
  inst->Used = true;
  inst->Method = Method;
  return WNDPROC::FromLongPtr(LONG_PTR(reinterpret_cast<uintptr_t>(inst)));
}

void FreeObjectInstance(WNDPROC ObjectInstance) {
  TInstance* inst = InstanceOf(ObjectInstance.ToLongPtr());
  if (!inst) return;
  TInstancePool& p = Pool();
  std::lock_guard<std::mutex> g(p.Lock);
  inst->Used = false;
  inst->Method = TWndMethod();
  inst->NextFree = p.Free;
  p.Free = inst;
}

HWND AllocateHWnd(const TWndMethod& Method) {
  EnsureSystemClasses();
  HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, u"TPUtilWindow", u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           HInstance, nullptr);
  if (h && Method.Assigned()) {
    WNDPROC inst = MakeObjectInstance(Method);
    SetWindowLongPtrW(h, GWLP_WNDPROC, inst.ToLongPtr());
    if (TWnd* w = Find(h)) w->AllocatedInstance = inst;
  }
  return h;
}

void DeallocateHWnd(HWND Wnd) {
  TWnd* w = Find(Wnd);
  if (!w) return;
  WNDPROC inst = w->AllocatedInstance;
  w->AllocatedInstance = nullptr;
  DestroyWindow(Wnd);
  FreeObjectInstance(inst);
}

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Internals

namespace wnd {

TWnd* Desktop() {
  TWnd*& d = DesktopSlot();
  if (!d) {
    d = MakeDesktop();
    InstallDCHooks();
  }
  return d;
}

TWnd* Find(HWND h) {
  if (!h) return nullptr;
  TTable& t = Table();
  std::lock_guard<std::mutex> g(t.Lock);
  auto it = t.Map.find(reinterpret_cast<uintptr_t>(h));
  return it == t.Map.end() ? nullptr : it->second.Wnd;
}

DWORD OwnerThreadOf(HWND h) {
  TTable& t = Table();
  std::lock_guard<std::mutex> g(t.Lock);
  auto it = t.Map.find(reinterpret_cast<uintptr_t>(h));
  return it == t.Map.end() ? 0 : it->second.Thread;
}

bool MustMarshal(HWND h) {
  if (OnMainThread()) return false;
  DWORD t = h ? OwnerThreadOf(h) : 0;
  return t == DWORD(MainThreadID);
}

TWnd* TopLevelOf(TWnd* w) {
  while (w && w->Parent && w->Parent->Parent) w = w->Parent;
  return w;
}

bool ReallyVisible(const TWnd* w) {
  for (; w; w = w->Parent)
    if (!w->Visible()) return false;
  return true;
}

void Collect(TWnd* root, std::vector<TWnd*>& out) {
  out.push_back(root);
  for (TWnd* c : root->Children) Collect(c, out);
}

LRESULT CallProc(TWnd* w, UINT msg, WPARAM wp, LPARAM lp) {
  HWND h = w->Handle;
  if (HasHooks(WH_CALLWNDPROC)) {
    CWPSTRUCT cwp{lp, wp, msg, h};
    CallHooks(WH_CALLWNDPROC, HC_ACTION, 1, LPARAM(&cwp));
    w = Find(h);
    if (!w) return 0;
  }
  WNDPROC proc = w->Proc;
  LRESULT r = proc(h, msg, wp, lp);
  if (HasHooks(WH_CALLWNDPROCRET)) {
    CWPRETSTRUCT ret{r, lp, wp, msg, h};
    CallHooks(WH_CALLWNDPROCRET, HC_ACTION, 1, LPARAM(&ret));
  }
  return r;
}

}  // namespace wnd

const HINSTANCE HInstance = reinterpret_cast<HINSTANCE>(uintptr_t(0x400000));

// Nil is the program's own module; a name is answered by the table of
// libraries (loaded ones only, as on the platform).
HINSTANCE GetModuleHandleW(LPCWSTR lpModuleName) {
  return lpModuleName ? FindLoadedModule(lpModuleName) : HInstance;
}

// ---------------------------------------------------------------------------
// Classes

ATOM RegisterClassExW(const WNDCLASSEXW* c) {
  if (!c || !c->lpszClassName || c->cbClsExtra < 0 || c->cbWndExtra < 0 || c->cbClsExtra > 40000 ||
      c->cbWndExtra > 40000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (FindClass(c->lpszClassName)) {
    SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
    return 0;
  }
  TClasses& cs = Classes();
  auto cls = std::make_unique<TWndClass>();
  cls->Name = NameOf(c->lpszClassName);
  cls->Atom = cs.NextAtom++;
  cls->Style = c->style;
  cls->Proc = c->lpfnWndProc;
  cls->ClsExtra = c->cbClsExtra;
  cls->WndExtra = c->cbWndExtra;
  cls->Instance = c->hInstance;
  cls->Icon = c->hIcon;
  cls->IconSm = c->hIconSm;
  cls->Cursor = c->hCursor;
  cls->Background = c->hbrBackground;
  cls->MenuName = NameOf(c->lpszMenuName);
  cls->Extra.assign(size_t(c->cbClsExtra), 0);
  ATOM a = cls->Atom;
  cs.List.push_back(std::move(cls));
  return a;
}

ATOM RegisterClassW(const WNDCLASSW* c) {
  if (!c) return 0;
  WNDCLASSEXW x;
  x.cbSize = sizeof(x);
  x.style = c->style;
  x.lpfnWndProc = c->lpfnWndProc;
  x.cbClsExtra = c->cbClsExtra;
  x.cbWndExtra = c->cbWndExtra;
  x.hInstance = c->hInstance;
  x.hIcon = c->hIcon;
  x.hCursor = c->hCursor;
  x.hbrBackground = c->hbrBackground;
  x.lpszMenuName = c->lpszMenuName;
  x.lpszClassName = c->lpszClassName;
  return RegisterClassExW(&x);
}

BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE) {
  TWndClass* c = FindClass(lpClassName);
  if (!c || c->Windows > 0) {
    SetLastError(c ? 1412 : 1411);  // ERROR_CLASS_HAS_WINDOWS / ERROR_CLASS_DOES_NOT_EXIST
    return FALSE;
  }
  auto& l = Classes().List;
  l.erase(std::remove_if(l.begin(), l.end(), [c](auto& p) { return p.get() == c; }), l.end());
  return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR lpszClass, WNDCLASSEXW* x) {
  EnsureSystemClasses();
  TWndClass* c = FindClass(lpszClass);
  if (!c || !x) {
    SetLastError(1411);
    return FALSE;
  }
  x->style = c->Style;
  x->lpfnWndProc = c->Proc;
  x->cbClsExtra = c->ClsExtra;
  x->cbWndExtra = c->WndExtra;
  x->hInstance = c->Instance;
  x->hIcon = c->Icon;
  x->hIconSm = c->IconSm;
  x->hCursor = c->Cursor;
  x->hbrBackground = c->Background;
  x->lpszMenuName = nullptr;
  x->lpszClassName = lpszClass;
  return c->Atom;
}

BOOL GetClassInfoW(HINSTANCE h, LPCWSTR lpClassName, WNDCLASSW* w) {
  WNDCLASSEXW x;
  if (!w || !GetClassInfoExW(h, lpClassName, &x)) return FALSE;
  w->style = x.style;
  w->lpfnWndProc = x.lpfnWndProc;
  w->cbClsExtra = x.cbClsExtra;
  w->cbWndExtra = x.cbWndExtra;
  w->hInstance = x.hInstance;
  w->hIcon = x.hIcon;
  w->hCursor = x.hCursor;
  w->hbrBackground = x.hbrBackground;
  w->lpszMenuName = nullptr;
  w->lpszClassName = lpClassName;
  return TRUE;
}

int GetClassNameW(HWND hWnd, LPWSTR buf, int n) {
  TWnd* w = Find(hWnd);
  if (!w || !buf || n <= 0) return 0;
  String name = w->Class ? w->Class->Name : String(u"#32769");
  int len = std::min<int>(int(name.size()), n - 1);
  std::copy(name.begin(), name.begin() + len, buf);
  buf[len] = 0;
  return len;
}

ULONG_PTR GetClassLongPtrW(HWND hWnd, int nIndex) {
  TWnd* w = Find(hWnd);
  if (!w || !w->Class) return 0;
  TWndClass* c = w->Class;
  switch (nIndex) {
    case GCL_STYLE: return c->Style;
    case GCLP_WNDPROC: return ULONG_PTR(c->Proc.ToLongPtr());
    case GCLP_HBRBACKGROUND: return ULONG_PTR(LongFromHandle(c->Background));
    case GCLP_HCURSOR: return ULONG_PTR(LongFromHandle(c->Cursor));
    case GCLP_HICON: return ULONG_PTR(LongFromHandle(c->Icon));
    case GCLP_HICONSM: return ULONG_PTR(LongFromHandle(c->IconSm));
    case GCLP_HMODULE: return ULONG_PTR(LongFromHandle(c->Instance));
    case GCL_CBWNDEXTRA: return ULONG_PTR(c->WndExtra);
    case GCL_CBCLSEXTRA: return ULONG_PTR(c->ClsExtra);
    case GCW_ATOM: return c->Atom;
    default:
      if (nIndex >= 0 && size_t(nIndex) + sizeof(LONG_PTR) <= c->Extra.size()) {
        LONG_PTR v;
        std::memcpy(&v, c->Extra.data() + nIndex, sizeof v);
        return ULONG_PTR(v);
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

ULONG_PTR SetClassLongPtrW(HWND hWnd, int nIndex, LONG_PTR v) {
  TWnd* w = Find(hWnd);
  if (!w || !w->Class) return 0;
  TWndClass* c = w->Class;
  ULONG_PTR old = GetClassLongPtrW(hWnd, nIndex);
  switch (nIndex) {
    case GCL_STYLE: c->Style = UINT(v); break;
    case GCLP_WNDPROC: c->Proc = WNDPROC::FromLongPtr(v); break;
    case GCLP_HBRBACKGROUND: c->Background = reinterpret_cast<HBRUSH>(uintptr_t(v)); break;
    case GCLP_HCURSOR: c->Cursor = reinterpret_cast<HCURSOR>(uintptr_t(v)); break;
    case GCLP_HICON: c->Icon = reinterpret_cast<HICON>(uintptr_t(v)); break;
    case GCLP_HICONSM: c->IconSm = reinterpret_cast<HICON>(uintptr_t(v)); break;
    default:
      if (nIndex >= 0 && size_t(nIndex) + sizeof(LONG_PTR) <= c->Extra.size()) {
        std::memcpy(c->Extra.data() + nIndex, &v, sizeof v);
        break;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
  return old;
}

namespace {
void EnsureSystemClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c;
  c.cbSize = sizeof(c);
  c.lpfnWndProc = &DefWindowProcW;
  c.hInstance = HInstance;
  c.lpszClassName = u"TPUtilWindow";
  RegisterClassExW(&c);
  RegisterEditClass();
  RegisterListBoxClass();
  RegisterButtonClass();
  RegisterStaticClass();
  RegisterMDIClientClass();
}
}  // namespace

// ---------------------------------------------------------------------------
// Creation and destruction

HWND CreateWindowExW(DWORD exStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD style, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam) {
  EnsureSystemClasses();
  TWnd* desk = Desktop();
  TWndClass* cls = FindClass(lpClassName);
  if (!cls) {
    SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
    return nullptr;
  }
  TWnd* parent = nullptr;
  TWnd* owner = nullptr;
  if (hWndParent == HWND_MESSAGE) hWndParent = nullptr;
  if (hWndParent) {
    parent = Find(hWndParent);
    if (!parent) {
      SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
      return nullptr;
    }
  }
  bool child = (style & (WS_CHILD | WS_POPUP)) == WS_CHILD;
  if (child && !parent) {
    SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
    return nullptr;
  }
  if (!child) {
    owner = parent ? TopLevelOf(parent) : nullptr;
    if (owner == desk) owner = nullptr;
    parent = desk;
  }
  if (!(style & WS_CHILD)) {
    style |= WS_CLIPSIBLINGS;
    if (!(style & WS_POPUP)) style |= WS_CAPTION;  // an overlapped window always has a caption
  }
  if ((exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_THICKFRAME)) ||
      (style & WS_THICKFRAME))
    exStyle |= WS_EX_WINDOWEDGE;

  auto* w = new TWnd();
  w->Class = cls;
  ++cls->Windows;
  w->Style = style & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
  w->ExStyle = exStyle;
  w->Proc = cls->Proc;
  w->Instance = hInstance;
  w->ThreadId = ThisThreadId();
  w->Parent = parent;
  w->Owner = owner;
  w->Id = child ? LONG_PTR(reinterpret_cast<uintptr_t>(hMenu)) : 0;
  w->Extra.assign(size_t(cls->WndExtra), 0);
  w->Handle = NewHandle(w);
  HWND h = w->Handle;

  // Default position and size of a top-level window.
  if (!child) {
    if (X == CW_USEDEFAULT) X = Y = 26;
    if (nWidth == CW_USEDEFAULT) {
      SIZE s = ScreenSize();
      nWidth = s.cx * 3 / 4;
      nHeight = s.cy * 3 / 4;
    }
  } else {
    if (X == CW_USEDEFAULT) X = Y = 0;
    if (nWidth == CW_USEDEFAULT) nWidth = nHeight = 0;
  }
  X = std::clamp(X, -MaxCoord, MaxCoord);
  Y = std::clamp(Y, -MaxCoord, MaxCoord);
  nWidth = std::clamp(nWidth, 0, MaxCoord);
  nHeight = std::clamp(nHeight, 0, MaxCoord);

  // z-order: children and top-level windows start on top of their siblings
  // (a topmost window at the top, others below the topmost band).
  if (!child && !(exStyle & WS_EX_TOPMOST)) {
    auto& v = parent->Children;
    auto it = std::find_if(v.begin(), v.end(), [](TWnd* s) { return !(s->ExStyle & WS_EX_TOPMOST); });
    v.insert(it, w);
  } else {
    parent->Children.insert(parent->Children.begin(), w);
  }

  CREATESTRUCTW cs;
  cs.lpCreateParams = lpParam;
  cs.hInstance = hInstance;
  cs.hMenu = hMenu;
  cs.hwndParent = hWndParent;
  cs.style = LONG(style);
  cs.lpszName = lpWindowName;
  cs.lpszClass = lpClassName;
  cs.dwExStyle = exStyle;

  if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
    MINMAXINFO mmi;
    SIZE s = ScreenSize();
    mmi.ptMaxSize = POINT{s.cx, s.cy};
    mmi.ptMaxPosition = POINT{0, 0};
    mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    SendMessageW(h, WM_GETMINMAXINFO, 0, LPARAM(&mmi));
    if (!Find(h)) return nullptr;
    if (nWidth > mmi.ptMaxTrackSize.x) nWidth = mmi.ptMaxTrackSize.x;
    if (nHeight > mmi.ptMaxTrackSize.y) nHeight = mmi.ptMaxTrackSize.y;
  }
  cs.x = X;
  cs.y = Y;
  cs.cx = nWidth;
  cs.cy = nHeight;
  w->Window = RECT{X, Y, X + nWidth, Y + nHeight};
  w->Client = RECT{0, 0, nWidth, nHeight};
  if (lpWindowName) w->Text = lpWindowName;
  SyncBacking(w);

  w->Created = true;
  if (!SendMessageW(h, WM_NCCREATE, 0, LPARAM(&cs))) {
    if (Find(h)) {
      w->Destroying = true;
      FinalDestroy(w);
    }
    SetLastError(1400);
    return nullptr;
  }
  if (!Find(h)) return nullptr;
  CalcClient(w, w->Window, nullptr);
  if (!Find(h)) return nullptr;
  if (SendMessageW(h, WM_CREATE, 0, LPARAM(&cs)) == -1) {
    if (Find(h)) DestroyWindow(h);
    return nullptr;
  }
  if (!Find(h)) return nullptr;
  SendMessageW(h, WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(WORD(w->Client.right - w->Client.left), WORD(w->Client.bottom - w->Client.top)));
  if (!Find(h)) return nullptr;
  POINT co{w->Window.left + w->Client.left, w->Window.top + w->Client.top};
  SendMessageW(h, WM_MOVE, 0, MAKELPARAM(WORD(co.x), WORD(co.y)));
  if (!Find(h)) return nullptr;
  if (child && !(exStyle & WS_EX_NOPARENTNOTIFY))
    SendMessageW(parent->Handle, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, WORD(w->Id)), LPARAM(h));
  if (!Find(h)) return nullptr;
  if (style & WS_MAXIMIZE)
    ShowWindow(h, SW_SHOWMAXIMIZED);
  else if (style & WS_MINIMIZE)
    ShowWindow(h, SW_SHOWMINIMIZED);
  else if (style & WS_VISIBLE)
    ShowWindow(h, SW_SHOW);
  return Find(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hWnd) {
  TWnd* w = Find(hWnd);
  if (!w || w == Desktop()) {
    SetLastError(1400);
    return FALSE;
  }
  if (w->ThreadId != ThisThreadId()) {
    SetLastError(5);  // ERROR_ACCESS_DENIED: another thread's window
    return FALSE;
  }
  if (w->Destroying) return TRUE;
  w->Destroying = true;
  if (w->IsChild() && !(w->ExStyle & WS_EX_NOPARENTNOTIFY) && w->Parent)
    SendMessageW(w->Parent->Handle, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, WORD(w->Id)), LPARAM(hWnd));
  if (!Find(hWnd)) return TRUE;
  if (w->Visible()) {
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    if (!Find(hWnd)) return TRUE;
  }
  // A destroyed active window hands activation on.
  if (IsTopLevel(w) && Input().Active == hWnd) {
    TWnd* next = nullptr;
    if (w->Owner && ReallyVisible(w->Owner) && !(w->Owner->Style & WS_DISABLED)) next = w->Owner;
    if (!next)
      for (TWnd* s : Desktop()->Children)
        if (s != w && s->Visible() && !(s->Style & WS_DISABLED) && !(s->ExStyle & WS_EX_NOACTIVATE) &&
            s->ThreadId == w->ThreadId && s->Owner != w) {
          next = s;
          break;
        }
    if (next)
      Activate(next, WA_ACTIVE);
    else
      SetActiveWindow(nullptr);
    if (!Find(hWnd)) return TRUE;
  }
  // Owned windows go first.
  if (IsTopLevel(w)) {
    std::vector<HWND> owned;
    for (TWnd* s : Desktop()->Children)
      if (s->Owner == w) owned.push_back(s->Handle);
    for (HWND o : owned)
      if (Find(o)) DestroyWindow(o);
  }
  if (!Find(hWnd)) return TRUE;
  SendDestroy(w);
  if (!Find(hWnd)) return TRUE;
  bool wasVisibleTop = false;
  (void)wasVisibleTop;
  FinalDestroy(w);
  return TRUE;
}

// ---------------------------------------------------------------------------
// Queries

BOOL IsWindow(HWND hWnd) { return hWnd && OwnerThreadOf(hWnd) != 0; }

BOOL IsWindowVisible(HWND hWnd) {
  TWnd* w = Find(hWnd);
  return w && ReallyVisible(w);
}

BOOL IsWindowEnabled(HWND hWnd) {
  TWnd* w = Find(hWnd);
  return w && !(w->Style & WS_DISABLED);
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
  TWnd* p = Find(hWndParent);
  TWnd* w = Find(hWnd);
  if (!p || !w) return FALSE;
  while (w->IsChild() && w->Parent) {
    w = w->Parent;
    if (w == p) return TRUE;
  }
  return FALSE;
}

BOOL IsIconic(HWND hWnd) {
  TWnd* w = Find(hWnd);
  return w && (w->Style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hWnd) {
  TWnd* w = Find(hWnd);
  return w && (w->Style & WS_MAXIMIZE);
}

BOOL IsWindowUnicode(HWND hWnd) { return IsWindow(hWnd); }

HWND GetParent(HWND hWnd) {
  TWnd* w = Find(hWnd);
  if (!w) return nullptr;
  if (w->IsChild()) return w->Parent && w->Parent != Desktop() ? w->Parent->Handle : nullptr;
  if (w->Style & WS_POPUP) return w->Owner ? w->Owner->Handle : nullptr;
  return nullptr;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  TWnd* w = Find(hwnd);
  if (!w || w == Desktop()) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->Parent ? w->Parent->Handle : nullptr;
    case GA_ROOT: return TopLevelOf(w)->Handle;
    case GA_ROOTOWNER: {
      TWnd* t = TopLevelOf(w);
      while (t->Owner) t = t->Owner;
      return t->Handle;
    }
    default: return nullptr;
  }
}

HWND GetDesktopWindow() { return Desktop()->Handle; }

HWND GetWindow(HWND hWnd, UINT uCmd) {
  TWnd* w = Find(hWnd);
  if (!w) return nullptr;
  auto sibling = [&](int step) -> HWND {
    if (!w->Parent) return nullptr;
    auto& v = w->Parent->Children;
    auto it = std::find(v.begin(), v.end(), w);
    if (it == v.end()) return nullptr;
    ptrdiff_t i = (it - v.begin()) + step;
    if (i < 0 || i >= ptrdiff_t(v.size())) return nullptr;
    return v[size_t(i)]->Handle;
  };
  switch (uCmd) {
    case GW_HWNDFIRST: return w->Parent && !w->Parent->Children.empty() ? w->Parent->Children.front()->Handle : nullptr;
    case GW_HWNDLAST: return w->Parent && !w->Parent->Children.empty() ? w->Parent->Children.back()->Handle : nullptr;
    case GW_HWNDNEXT: return sibling(1);
    case GW_HWNDPREV: return sibling(-1);
    case GW_OWNER: return w->Owner ? w->Owner->Handle : nullptr;
    case GW_CHILD: return w->Children.empty() ? nullptr : w->Children.front()->Handle;
    case GW_ENABLEDPOPUP:
      for (TWnd* s : Desktop()->Children)
        if (s->Owner == w && s->Visible() && !(s->Style & WS_DISABLED)) return s->Handle;
      return nullptr;
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND hWnd) {
  TWnd* w = hWnd ? Find(hWnd) : Desktop();
  return w && !w->Children.empty() ? w->Children.front()->Handle : nullptr;
}

HWND GetNextWindow(HWND hWnd, UINT wCmd) { return GetWindow(hWnd, wCmd); }

HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
  TWnd* w = Find(hWndChild);
  if (!w || w == Desktop()) return nullptr;
  TWnd* np = hWndNewParent ? Find(hWndNewParent) : Desktop();
  if (!np) return nullptr;
  for (TWnd* p = np; p; p = p->Parent)
    if (p == w) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  TWnd* old = w->Parent;
  HWND oldH = old ? old->Handle : nullptr;
  bool wasVisible = w->Visible();
  if (wasVisible) ShowWindow(hWndChild, SW_HIDE);
  if (!Find(hWndChild)) return oldH;
  // Keep the window's place on the screen only in the coordinates of the new
  // parent: the position numbers stay (as the platform does).
  Unlink(w);
  w->Parent = np;
  np->Children.insert(np->Children.begin(), w);
  if (np == Desktop()) {
    w->Owner = nullptr;
    SyncBacking(w);
  } else {
    w->Pixels.clear();
    w->Pixels.shrink_to_fit();
    w->PixWidth = w->PixHeight = 0;
  }
  if (wasVisible) ShowWindow(hWndChild, SW_SHOWNA);
  else if (old && old != np) {
    // nothing to repaint
  }
  return oldH;
}

HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
  TWndClass* c = lpClassName ? FindClass(lpClassName) : nullptr;
  if (lpClassName && !c) return nullptr;
  for (TWnd* s : Desktop()->Children) {
    if (c && s->Class != c) continue;
    if (lpWindowName && s->Text != String(lpWindowName)) continue;
    return s->Handle;
  }
  return nullptr;
}

BOOL EnumWindows(WNDENUMPROC fn, LPARAM lParam) {
  std::vector<HWND> list;
  for (TWnd* s : Desktop()->Children) list.push_back(s->Handle);
  for (HWND h : list)
    if (IsWindow(h) && !fn(h, lParam)) return FALSE;
  return TRUE;
}

BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC fn, LPARAM lParam) {
  TWnd* p = hWndParent ? Find(hWndParent) : Desktop();
  if (!p) return FALSE;
  std::vector<TWnd*> all;
  Collect(p, all);
  std::vector<HWND> list;
  for (size_t i = 1; i < all.size(); ++i) list.push_back(all[i]->Handle);
  for (HWND h : list)
    if (IsWindow(h) && !fn(h, lParam)) return FALSE;
  return TRUE;
}

BOOL EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC fn, LPARAM lParam) {
  std::vector<HWND> list;
  for (TWnd* s : Desktop()->Children)
    if (s->ThreadId == dwThreadId) list.push_back(s->Handle);
  for (HWND h : list)
    if (IsWindow(h) && !fn(h, lParam)) return FALSE;
  return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD pid) {
  DWORD t = OwnerThreadOf(hWnd);
  if (pid) *pid = t ? DWORD(MainThreadID) : 0;
  return t;
}

int GetDlgCtrlID(HWND hWnd) {
  TWnd* w = Find(hWnd);
  return w && w->IsChild() ? int(w->Id) : 0;
}

HWND GetDlgItem(HWND hDlg, int id) {
  TWnd* p = Find(hDlg);
  if (!p) return nullptr;
  for (TWnd* c : p->Children)
    if (c->Id == id) return c->Handle;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Window longs

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex) {
  TWnd* w = Find(hWnd);
  if (!w) {
    SetLastError(1400);
    return 0;
  }
  switch (nIndex) {
    case GWLP_WNDPROC: return w->Proc.ToLongPtr();
    case GWLP_HINSTANCE: return LongFromHandle(w->Instance);
    case GWLP_HWNDPARENT:
      return w->IsChild() ? (w->Parent ? LongFromHandle(w->Parent->Handle) : 0)
                          : (w->Owner ? LongFromHandle(w->Owner->Handle) : 0);
    case GWL_STYLE: return LONG_PTR(LONG(w->Style));
    case GWL_EXSTYLE: return LONG_PTR(LONG(w->ExStyle));
    case GWLP_USERDATA: return w->UserData;
    case GWLP_ID: return w->Id;
    default:
      if (nIndex >= 0 && size_t(nIndex) + sizeof(LONG_PTR) <= w->Extra.size()) {
        LONG_PTR v;
        std::memcpy(&v, w->Extra.data() + nIndex, sizeof v);
        return v;
      }
      if (nIndex >= 0 && size_t(nIndex) + sizeof(LONG) <= w->Extra.size()) {
        LONG v;
        std::memcpy(&v, w->Extra.data() + nIndex, sizeof v);
        return v;
      }
      SetLastError(1413);  // ERROR_INVALID_INDEX
      return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR v) {
  TWnd* w = Find(hWnd);
  if (!w || w == Desktop()) {
    SetLastError(1400);
    return 0;
  }
  LONG_PTR old = GetWindowLongPtrW(hWnd, nIndex);
  switch (nIndex) {
    case GWLP_WNDPROC: w->Proc = WNDPROC::FromLongPtr(v); break;
    case GWLP_HINSTANCE: w->Instance = reinterpret_cast<HINSTANCE>(uintptr_t(v)); break;
    case GWLP_HWNDPARENT:
      if (!w->IsChild()) {
        TWnd* o = Find(reinterpret_cast<HWND>(uintptr_t(v)));
        w->Owner = o ? TopLevelOf(o) : nullptr;
        if (w->Owner == Desktop()) w->Owner = nullptr;
      }
      break;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      STYLESTRUCT ss;
      ss.styleOld = nIndex == GWL_STYLE ? w->Style : w->ExStyle;
      ss.styleNew = DWORD(v);
      SendMessageW(hWnd, WM_STYLECHANGING, WPARAM(nIndex), LPARAM(&ss));
      if (!(w = Find(hWnd))) return old;
      if (nIndex == GWL_STYLE) {
        // the visibility bit changes only through ShowWindow / WM_SETREDRAW
        w->Style = ss.styleNew;
      } else {
        w->ExStyle = ss.styleNew;
        if (!(w->ExStyle & WS_EX_LAYERED)) {
          w->LayeredAttributes = false;
          w->PerPixel = false;
        }
      }
      SendMessageW(hWnd, WM_STYLECHANGED, WPARAM(nIndex), LPARAM(&ss));
      if (IsTopLevel(w)) NotifyBackend(w);
      break;
    }
    case GWLP_USERDATA: w->UserData = v; break;
    case GWLP_ID: w->Id = v; break;
    default:
      if (nIndex >= 0 && size_t(nIndex) + sizeof(LONG_PTR) <= w->Extra.size()) {
        std::memcpy(w->Extra.data() + nIndex, &v, sizeof v);
        break;
      }
      if (nIndex >= 0 && size_t(nIndex) + sizeof(LONG) <= w->Extra.size()) {
        LONG l = LONG(v);
        std::memcpy(w->Extra.data() + nIndex, &l, sizeof l);
        break;
      }
      SetLastError(1413);
      return 0;
  }
  return old;
}

// ---------------------------------------------------------------------------
// Text and properties

BOOL SetWindowTextW(HWND hWnd, LPCWSTR s) {
  if (!IsWindow(hWnd)) return FALSE;
  return BOOL(SendMessageW(hWnd, WM_SETTEXT, 0, LPARAM(s ? s : u"")));
}

int GetWindowTextW(HWND hWnd, LPWSTR buf, int n) {
  if (!buf || n <= 0) return 0;
  buf[0] = 0;
  if (!IsWindow(hWnd)) return 0;
  return int(SendMessageW(hWnd, WM_GETTEXT, WPARAM(n), LPARAM(buf)));
}

int GetWindowTextLengthW(HWND hWnd) {
  if (!IsWindow(hWnd)) return 0;
  return int(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetPropW(HWND hWnd, LPCWSTR name, HANDLE data) {
  TWnd* w = Find(hWnd);
  if (!w || !name) return FALSE;
  String n = NameOf(name);
  for (auto& p : w->Props)
    if (SameName(p.first, n)) {
      p.second = data;
      return TRUE;
    }
  w->Props.emplace_back(n, data);
  return TRUE;
}

HANDLE GetPropW(HWND hWnd, LPCWSTR name) {
  TWnd* w = Find(hWnd);
  if (!w || !name) return nullptr;
  String n = NameOf(name);
  for (auto& p : w->Props)
    if (SameName(p.first, n)) return p.second;
  return nullptr;
}

HANDLE RemovePropW(HWND hWnd, LPCWSTR name) {
  TWnd* w = Find(hWnd);
  if (!w || !name) return nullptr;
  String n = NameOf(name);
  for (auto it = w->Props.begin(); it != w->Props.end(); ++it)
    if (SameName(it->first, n)) {
      HANDLE d = it->second;
      w->Props.erase(it);
      return d;
    }
  return nullptr;
}

UINT RegisterWindowMessageW(LPCWSTR s) {
  static std::mutex lock;
  static std::vector<String>* names = new std::vector<String>();
  if (!s || !*s) return 0;
  std::lock_guard<std::mutex> g(lock);
  String n(s);
  for (size_t i = 0; i < names->size(); ++i)
    if (SameName((*names)[i], n)) return UINT(0xC000 + i);
  if (names->size() >= 0x3FFF) return 0;
  names->push_back(n);
  return UINT(0xC000 + names->size() - 1);
}

}  // namespace win
