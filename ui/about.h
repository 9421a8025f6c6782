// The About dialog (100) and the web links it and the hardware warning open.
#pragma once
#include "platform/win.h"

// Each link as handed to OpenWebLink: "-new " and the address.
extern const char* const LINK_KIRU_PAGE;
extern const char* const LINK_PELLOR_PAGE;
extern const char* const LINK_ICT_PAGE;
extern const char* const LINK_TIBET_SOCIETY_PAGE;
extern const char* const LINK_MAIL;  // "mailto:" address "?subject=Kiru"

// Runs the About dialog modally over owner.
void ShowAboutDialog(plat::HWND owner);

// Lower-cases text in place and starts the user's browser on the address in it
// (from the first "http"). False when there is no address or nothing could start.
bool OpenWebLink(char* text);
// OpenWebLink on a copy, for the program's fixed links.
bool OpenFixedLink(const char* link);
// Hands a "mailto:" text to the desktop's mail handler.
bool OpenMailLink(const char* text);
