// Every static text of every dialog fits its template rectangle, measured in the
// real dialog font and wrapped at word boundaries as the dialog draws it.
#include <gtest/gtest.h>

#include "platform/dialog.h"
#include "platform/x11/dialog_fltk.h"
#include "ui/dialog_templates.h"

namespace {

TEST(DialogText, EveryStaticFitsItsRectangle) {
  int width = 0, height = 0;
  ASSERT_TRUE(plat::x11::MeasureDialogText("x", 0, &width, &height));  // sets the base units
  for (const plat::DialogTemplate* t :
       {&SettingsDialogTemplate(), &AboutDialogTemplate(), &ControlMenuTemplate(), &WarningDialogTemplate()}) {
    for (const plat::DialogControl& c : t->controls) {
      if (c.text.empty() ||
          (c.kind != plat::ControlKind::StaticLeft && c.kind != plat::ControlKind::StaticCentre))
        continue;
      int boxWidth = plat::DialogUnitsToPixelsX(c.width), boxHeight = plat::DialogUnitsToPixelsY(c.height);
      ASSERT_TRUE(plat::x11::MeasureDialogText(c.text.c_str(), boxWidth, &width, &height));
      EXPECT_LE(width, boxWidth) << t->caption << ": \"" << c.text << "\"";
      EXPECT_LE(height, boxHeight) << t->caption << ": \"" << c.text << "\"";
    }
  }
}

}  // namespace
