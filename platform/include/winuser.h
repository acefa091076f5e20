// user32: windows, window classes, per-thread message queues, painting
// bookkeeping, timers and the message box.
//
// Windows have no frame: the client area is the whole window. Drawing goes
// to a pixel surface per window (see platform/window_surface.h), which a
// toolkit shows.
#pragma once
#include "windef.h"
#include "winerror.h"

#ifndef ERROR_TLW_WITH_WSCHILD
#define ERROR_TLW_WITH_WSCHILD 1406L
#endif
#ifndef ERROR_CLASS_HAS_WINDOWS
#define ERROR_CLASS_HAS_WINDOWS 1412L
#endif
#ifndef ERROR_INVALID_INDEX
#define ERROR_INVALID_INDEX 1413L
#endif

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
  DWORD lPrivate;
} MSG, *PMSG, *LPMSG;

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA, *PWNDCLASSA, *LPWNDCLASSA;

typedef struct tagWNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
} WNDCLASSEXA, *PWNDCLASSEXA, *LPWNDCLASSEXA;

typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *PPAINTSTRUCT, *LPPAINTSTRUCT;

#ifdef __cplusplus
static_assert(sizeof(MSG) == 48 && offsetof(MSG, message) == 8 && offsetof(MSG, wParam) == 16 &&
                  offsetof(MSG, lParam) == 24 && offsetof(MSG, time) == 32 && offsetof(MSG, pt) == 36 &&
                  offsetof(MSG, lPrivate) == 44,
              "MSG as on Win64");
static_assert(sizeof(WNDCLASSA) == 72 && sizeof(WNDCLASSEXA) == 80, "WNDCLASS as on Win64");
static_assert(sizeof(CREATESTRUCTA) == 80 && sizeof(PAINTSTRUCT) == 72, "records as on Win64");
#endif

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_KEYLAST 0x0109
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSELAST 0x020E
#define WM_USER 0x0400
#define WM_APP 0x8000

// WM_SIZE kinds.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKELRESULT(l, h) ((LRESULT)(DWORD)MAKELONG(l, h))
#define MAKEINTATOM(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))

// PeekMessageA options.
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// Queue status bits (MsgWaitForMultipleObjects wake masks).
#define QS_KEY 0x0001
#define QS_MOUSEMOVE 0x0002
#define QS_MOUSEBUTTON 0x0004
#define QS_POSTMESSAGE 0x0008
#define QS_TIMER 0x0010
#define QS_PAINT 0x0020
#define QS_SENDMESSAGE 0x0040
#define QS_HOTKEY 0x0080
#define QS_ALLPOSTMESSAGE 0x0100
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT (QS_ALLEVENTS | QS_SENDMESSAGE)

// SendMessageTimeoutA options.
#define SMTO_NORMAL 0x0000
#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_TABSTOP 0x00010000L
#define WS_OVERLAPPEDWINDOW \
  (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)
#define WS_CHILDWINDOW WS_CHILD
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_APPWINDOW 0x00040000L

// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020

#define CW_USEDEFAULT ((int)0x80000000)
#define HWND_MESSAGE ((HWND)(LONG_PTR)-3)
#define HWND_BROADCAST ((HWND)(LONG_PTR)0xffff)
#define HWND_DESKTOP ((HWND)0)

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// SetWindowPos.
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)(LONG_PTR)-1)
#define HWND_NOTOPMOST ((HWND)(LONG_PTR)-2)
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOOWNERZORDER 0x0200

// Window data indices.
#define GWL_WNDPROC (-4)
#define GWL_HINSTANCE (-6)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_ID (-12)
#define GWLP_USERDATA (-21)

// Message box styles and answers.
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0L
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFMASK 0x00000F00L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

// ANSI (CP932) text: the character after the one at lpsz, or lpsz itself at
// the terminator. A lead byte before the terminator counts as one character.
PLATFORM_API LPSTR WINAPI CharNextA(LPCSTR lpsz);

// The keyboard: flag 0 its type (4, the 101/102-key keyboard), 1 its
// subtype, 2 the number of function keys (12); 0 for any other flag. The
// subtype is 0 unless ORVANE_KEYBOARD_SUBTYPE gives another (decimal or
// 0x hex), read at each call, so a test can pretend to run on another
// machine's keyboard.
PLATFORM_API int WINAPI GetKeyboardType(int nTypeFlag);

// Window classes.
PLATFORM_API ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass);
PLATFORM_API ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpWndClass);
PLATFORM_API BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance);

// Windows.
PLATFORM_API HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                                         int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                                         HINSTANCE hInstance, LPVOID lpParam);
#define CreateWindowA(cls, name, style, x, y, w, h, parent, menu, inst, param) \
  CreateWindowExA(0L, cls, name, style, x, y, w, h, parent, menu, inst, param)
// Only the thread that created a window may destroy it.
PLATFORM_API BOOL WINAPI DestroyWindow(HWND hWnd);
PLATFORM_API BOOL WINAPI IsWindow(HWND hWnd);
PLATFORM_API BOOL WINAPI IsWindowVisible(HWND hWnd);
PLATFORM_API HWND WINAPI GetParent(HWND hWnd);
PLATFORM_API HWND WINAPI GetDesktopWindow(void);
PLATFORM_API DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);

PLATFORM_API BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
PLATFORM_API BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
PLATFORM_API BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
PLATFORM_API BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
PLATFORM_API BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);

PLATFORM_API BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString);
PLATFORM_API int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
PLATFORM_API int WINAPI GetWindowTextLengthA(HWND hWnd);

PLATFORM_API LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex);
PLATFORM_API LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
PLATFORM_API LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex);
PLATFORM_API LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong);

PLATFORM_API LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
PLATFORM_API LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                            LPARAM lParam);

// Painting bookkeeping; the device context comes from the drawing layer.
PLATFORM_API BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
PLATFORM_API BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect);
PLATFORM_API BOOL WINAPI UpdateWindow(HWND hWnd);
PLATFORM_API HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
PLATFORM_API BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);

// Message queues. A thread's queue is made on its first call here; window
// messages go to the queue of the thread that created the window.
PLATFORM_API BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
PLATFORM_API BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
PLATFORM_API void WINAPI PostQuitMessage(int nExitCode);
PLATFORM_API BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
PLATFORM_API BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                                      UINT wRemoveMsg);
PLATFORM_API BOOL WINAPI WaitMessage(void);
PLATFORM_API BOOL WINAPI TranslateMessage(const MSG* lpMsg);
PLATFORM_API LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
PLATFORM_API LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
PLATFORM_API LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                                                UINT uTimeout, DWORD_PTR* lpdwResult);
PLATFORM_API DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll,
                                                    DWORD dwMilliseconds, DWORD dwWakeMask);

// Timers: WM_TIMER is made when the queue is read, never piled up.
PLATFORM_API UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
PLATFORM_API BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// No user interface: the text goes to the debug output, and the default
// button (MB_DEFBUTTONn) is the answer unless a hook chooses one.
PLATFORM_API int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
// Silent; counted.
PLATFORM_API BOOL WINAPI MessageBeep(UINT uType);
// Child processes have no input to settle: returns 0 for a process handle.
PLATFORM_API DWORD WINAPI WaitForInputIdle(HANDLE hProcess, DWORD dwMilliseconds);

// ---- Extensions of this layer (not part of the Windows services) ----

// Number of MessageBeep calls in this process.
PLATFORM_API LONG WINAPI PlatMessageBeepCount(void);

// Chooses the answer of MessageBoxA (tests); NULL restores the default.
typedef int(CALLBACK* PlatMessageBoxProc)(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType, void* user);
PLATFORM_API void WINAPI PlatSetMessageBoxHook(PlatMessageBoxProc proc, void* user);

// Lets a toolkit's event loop run inside the calling thread's message
// pumps: the hook is called by PeekMessageA, and repeatedly (every few
// milliseconds) while GetMessageA, WaitMessage or MsgWaitForMultipleObjects
// wait on that thread. It is not called again from inside itself. NULL
// removes it.
typedef void(CALLBACK* PlatMessagePumpHook)(void* user);
PLATFORM_API void WINAPI PlatSetMessagePumpHook(PlatMessagePumpHook hook, void* user);
