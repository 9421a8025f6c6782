// FLTK pieces of the X11 backend that its start-up wires in.
#pragma once

namespace plat::x11 {

// Message boxes as small FLTK windows (caption, text, OK), without owner.
void InstallFltkMessageBox();

}  // namespace plat::x11
