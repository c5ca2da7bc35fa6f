// Thread message queues and thread timers for worker threads.
//
// Each thread that calls one of these functions gets a queue of its own (made on first use,
// removed when the thread ends). PostThreadMessage appends to the queue of another thread, by
// its id; GetMessage waits for the calling thread's next message. SetTimer without a window
// makes a thread timer of the calling thread: every `elapse` ms a WM_TIMER whose wParam is the
// timer id is delivered by GetMessage, at most one pending per timer, as Windows coalesces
// them. Timer ids are never 0 and are not reused by the same thread. KillTimer stops one; a
// WM_TIMER already taken out of the queue is not recalled.
//
// Windows are not offered: `window` arguments must be null, and messages carry none.
#pragma once

#include <cstdint>

#include "platform/com/windows_types.h"

struct HWND__;
using HWND = HWND__*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_USER = 0x0400;

struct MSG {
  HWND hwnd = nullptr;
  UINT message = WM_NULL;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
};

// The calling thread's id (never 0, not reused while the process runs).
DWORD GetCurrentThreadId();

// Appends a message to the queue of thread `threadId`; FALSE when no such thread has a queue.
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

// Waits for the calling thread's next message; returns 0 for WM_QUIT, else non-zero. The
// filter arguments must be 0 (no filtering).
BOOL GetMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax);

// Thread timer of the calling thread (window null, timerProc null); returns its id, 0 on
// failure. An `elapse` of 0 is taken as 1 ms.
UINT_PTR SetTimer(HWND window, UINT_PTR eventId, UINT elapse, TIMERPROC timerProc);

// Stops timer `eventId` of the calling thread; FALSE when it has no such timer.
BOOL KillTimer(HWND window, UINT_PTR eventId);

// Posts WM_QUIT to the calling thread (exit code in wParam).
void PostQuitMessage(int exitCode);

// Messages without a window are handled by their receiver; these do nothing and exist so
// that a message loop reads as usual.
inline BOOL TranslateMessage(const MSG* /*message*/) { return FALSE; }
inline LPARAM DispatchMessage(const MSG* /*message*/) { return 0; }
