// Every static text of every dialog fits its template rectangle, measured in the
// real dialog font and wrapped at word boundaries as the dialog draws it: at the
// full size, and at the smaller sizes the dialogs take on 800 x 600 and 640 x 480
// screens (less a window manager's frame), where the settings dialog must fit.
#include <gtest/gtest.h>

#include <utility>

#include "platform/dialog.h"
#include "platform/x11/x11_dialog.h"
#include "ui/dialog_templates.h"

namespace {

TEST(DialogText, EveryStaticFitsItsRectangleOnEveryScreen) {
  const plat::DialogTemplate& settings = SettingsDialogTemplate();
  for (auto [screenWidth, screenHeight] : {std::pair{1024, 768}, {800, 600}, {640, 480}}) {
    int width = screenWidth - 8, height = screenHeight - 32;
    int size = plat::x11::FitDialogFont(settings, width, height);
    ASSERT_GT(size, 0);
    EXPECT_LE(plat::DialogUnitsToPixelsX(settings.width), width) << screenWidth;
    EXPECT_LE(plat::DialogUnitsToPixelsY(settings.height), height) << screenWidth;
    if (screenWidth == 1024) {
      EXPECT_EQ(size, 10);  // DejaVu Sans needs no shrinking there
    }
    for (const plat::DialogTemplate* t : {&settings, &SettingsWithSaverPageTemplate(), &AboutDialogTemplate(),
                                          &ControlMenuTemplate(), &WarningDialogTemplate()}) {
      for (const plat::DialogControl& c : t->controls) {
        if (c.text.empty() ||
            (c.kind != plat::ControlKind::StaticLeft && c.kind != plat::ControlKind::StaticCentre))
          continue;
        int boxWidth = plat::DialogUnitsToPixelsX(c.width), boxHeight = plat::DialogUnitsToPixelsY(c.height);
        int textWidth = 0, textHeight = 0;
        ASSERT_TRUE(plat::x11::MeasureDialogText(c.text.c_str(), boxWidth, &textWidth, &textHeight));
        EXPECT_LE(textWidth, boxWidth) << size << " " << t->caption << ": \"" << c.text << "\"";
        EXPECT_LE(textHeight, boxHeight) << size << " " << t->caption << ": \"" << c.text << "\"";
      }
    }
  }
}

}  // namespace
