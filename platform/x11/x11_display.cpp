#include "platform/x11/x11_display.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/XKBlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/queue.h"
#include "platform/x11/x11_records.h"

namespace plat::x11 {
namespace {

Display* g_pDisplay = nullptr;
bool g_bDisplayTried = false;
int g_nLastXError = 0;
bool g_bInFltkCheck = false;

// A window can disappear between any two requests (a preview host closing, a
// window found by FindNativeWindow); Xlib's default handler would end the process.
int SwallowXError(Display*, XErrorEvent* error) {
  g_nLastXError = error->error_code;
  return 0;
}

void PumpForThread(void*) { PumpEvents(); }

DisplayLostHook g_pDisplayLost = nullptr;

// Xlib cannot go on without its server and would end the process with status 1.
// What must outlive it is saved by the hook; the status is that of every
// unexpected failure.
int EndOnDisplayLost(Display*) {
  if (DisplayLostHook hook = g_pDisplayLost) {
    g_pDisplayLost = nullptr;  // once, should the hook itself end up here
    hook();
  }
  std::_Exit(255);
}

}  // namespace

void InstallXErrorHandlers() {
  XSetErrorHandler(SwallowXError);
  XSetIOErrorHandler(EndOnDisplayLost);
}

Display* GetDisplay() {
  if (g_bDisplayTried) return g_pDisplay;
  g_bDisplayTried = true;
  // Nothing can be shown without a display, not even an error box: stderr says why.
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    std::fprintf(stderr, "kiru: no display: DISPLAY is not set\n");
    return nullptr;
  }
  g_pDisplay = XOpenDisplay(name);
  if (!g_pDisplay) {
    std::fprintf(stderr, "kiru: cannot open display \"%s\"\n", name);
    return nullptr;
  }
  InstallXErrorHandlers();
  // A write to a server that has gone would raise SIGPIPE before Xlib could tell.
  std::signal(SIGPIPE, SIG_IGN);
  // Held keys then repeat as presses only, so a key-up means the key was let go.
  Bool supported = False;
  XkbSetDetectableAutoRepeat(g_pDisplay, True, &supported);
  return g_pDisplay;
}

int LastXError() { return g_nLastXError; }
void ClearXError() { g_nLastXError = 0; }

// The thread that creates a window owns it and sees its events through the pump.
void AttachEventSource() {
  thread_local bool t_bAttached = false;
  Display* dpy = GetDisplay();
  if (t_bAttached || !dpy) return;
  t_bAttached = true;
  SetThreadEventSource(ConnectionNumber(dpy), PumpForThread, nullptr);
}

void DrainEvents() {
  Display* dpy = GetDisplay();
  if (!dpy) return;
  // XPending also reads what the socket holds; Xlib may already have queued
  // events while waiting for a reply (glXSwapBuffers), which poll() never sees.
  while (XPending(dpy) > 0) {
    XEvent event;
    XNextEvent(dpy, &event);
    TranslateEvent(event);
  }
}

void PumpEvents() {
  DrainEvents();
  if (fl_display && !g_bInFltkCheck) {
    g_bInFltkCheck = true;
    Fl::check();
    g_bInFltkCheck = false;
    DrainEvents();
  }
}

}  // namespace plat::x11

namespace plat::x11 {

void SetDisplayLostHook(DisplayLostHook hook) { x11::g_pDisplayLost = hook; }

}  // namespace plat::x11
