// The X11 desktop backend: windows, events, GLX surfaces, FLTK dialogs.
namespace plat::x11 {}
