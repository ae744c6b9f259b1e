// Tool windows on Mesa: a form drawn in its own window beside a game device leaves the game's
// picture alone, real (window-system) clicks and typing reach its controls and never the game
// window, disabled controls draw greyed, a wrapping label stays inside the window, the close
// button hides the form.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "platform/Window.h"
#include "tests/support/PixelDevice.h"

namespace {
class LaunchForm : public Form {
 public:
  LaunchForm() : Form("Editor Launch") {
    cmdPlay.onClick = [this] { log.push_back("cmdPlay_Click"); };
    txtName.onChange = [this] { log.push_back("txtName_Change " + txtName.text()); };
  }
  std::vector<std::string> log;
  CommandButton cmdPlay{*this, "cmdPlay", "Play"};
  CommandButton cmdShipEditor{*this, "cmdShipEditor", "Ship Editor"};
  TextBox txtName{*this, "txtName", "Name:"};
};

PixelImage capture(Form& form) {
  form.captureNextFrameForTests();
  doEvents();
  PixelImage image;
  form.capturedFrameForTests(image.argb, image.width, image.height);
  return image;
}

// Sum over a control's rectangle of how far each pixel is from the colour at the window's
// top-left corner (the window background).
long contrast(const PixelImage& image, const ControlRect& r) {
  Rgba bg = image.at(1, 1);
  long sum = 0;
  for (int y = int(r.top); y < int(r.bottom); ++y)
    for (int x = int(r.left); x < int(r.right); ++x) {
      Rgba p = image.at(x, y);
      sum += std::abs(p.r - bg.r) + std::abs(p.g - bg.g) + std::abs(p.b - bg.b);
    }
  return sum;
}

void clickAt(LaunchForm& form, const ControlRect& r) {
  float x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
  form.pushToolWindowMouseForTests(true, x, y);
  doEvents();
  form.pushToolWindowMouseForTests(false, x, y);
  doEvents();
}
}  // namespace

TEST(ToolWindowPixels, AFormsFrameLeavesTheGamePictureAlone) {
  QV_REQUIRE_PIXEL_DEVICE(p, 64, 48);
  auto& device = *p->device();
  LaunchForm form;
  form.show();
  ASSERT_TRUE(form.hasToolWindow()) << "a game window is real, so the form has its own window";

  device.Clear(D3DCLEAR_TARGET, 0xFF2040C0, 1.0f, 0);
  PixelImage tool = capture(form);  // the tool window draws a whole frame inside the yield
  ASSERT_GT(tool.width, 0);
  EXPECT_TRUE(regionNear(p->readBack(), RECT{0, 0, 64, 48}, 0xFF2040C0));

  // The game device still draws to its own window after the yield.
  D3DVIEWPORT8 vp{8, 8, 16, 16, 0, 1};
  device.SetViewport(vp);
  device.Clear(D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  PixelImage game = p->readBack();
  EXPECT_TRUE(pixelNear(game, 10, 10, 0xFF00FF00));
  EXPECT_TRUE(pixelNear(game, 40, 40, 0xFF2040C0));

  // The tool window shows the controls: the button differs from the background.
  const ControlRect& play = form.cmdPlay.drawnRect();
  ASSERT_GT(play.right, play.left);
  EXPECT_GT(contrast(tool, play), 0);
}

TEST(ToolWindowPixels, DisabledControlsDrawGreyed) {
  QV_REQUIRE_PIXEL_DEVICE(p, 32, 32);
  LaunchForm form;
  form.show();
  ASSERT_TRUE(form.hasToolWindow());
  doEvents();  // the first frame fits the window to its controls
  long enabled = contrast(capture(form), form.cmdPlay.drawnRect());
  form.cmdPlay.setEnabled(false);
  long disabled = contrast(capture(form), form.cmdPlay.drawnRect());
  EXPECT_LT(disabled * 10, enabled * 8) << "enabled " << enabled << ", disabled " << disabled;
}

TEST(ToolWindowPixels, AWrappingLabelKeepsItsCaptionInsideTheWindow) {
  QV_REQUIRE_PIXEL_DEVICE(p, 32, 32);
  LaunchForm form;
  Label plain{form, "lblPlain", ""}, wrapped{form, "lblStatus", ""};
  wrapped.wrap = true;
  form.show();
  ASSERT_TRUE(form.hasToolWindow());
  doEvents();  // the first frame fits the window to its controls
  const std::string text = "ships\\Phantom.pnd exists and this definition was neither loaded nor edited: "
                           "press Save again to replace it.";
  plain.setCaption(text);
  wrapped.setCaption(text);
  const PixelImage tool = capture(form);
  const ControlRect &line = plain.drawnRect(), &block = wrapped.drawnRect();
  ASSERT_GT(line.bottom, line.top);
  EXPECT_GT(line.right, tool.width) << "one line runs past the window's edge";
  EXPECT_LE(block.right, tool.width);
  EXPECT_GT(block.bottom - block.top, 2 * (line.bottom - line.top));
  EXPECT_GT(contrast(tool, ControlRect{block.left, block.bottom - (line.bottom - line.top), block.right,
                                       block.bottom}),
            0)
      << "the last line shows";
}

TEST(ToolWindowPixels, RealClicksAndTypingReachTheFormOnly) {
  QV_REQUIRE_PIXEL_DEVICE(p, 32, 32);
  std::vector<std::string> gameKeys;
  p->window().onKeyPress = [&](Integer& k) { gameKeys.push_back("press " + std::to_string(k)); };
  p->window().onKeyDown = [&](Integer& k, Integer&) { gameKeys.push_back("down " + std::to_string(k)); };
  p->window().onMouseDown = [&](Integer&, Integer&, Single&, Single&) { gameKeys.push_back("mouse"); };
  LaunchForm form;
  form.show();
  ASSERT_TRUE(form.hasToolWindow());
  doEvents();
  doEvents();

  clickAt(form, form.cmdPlay.drawnRect());
  EXPECT_EQ(form.log, (std::vector<std::string>{"cmdPlay_Click"}));
  form.log.clear();

  clickAt(form, form.txtName.drawnRect());  // focuses the text box
  form.pushToolWindowKeyForTests("Z", true);
  form.pushToolWindowTextForTests("Zed");
  form.pushToolWindowKeyForTests("Z", false);
  doEvents();
  doEvents();
  EXPECT_EQ(form.txtName.text(), "Zed");
  ASSERT_FALSE(form.log.empty());
  EXPECT_EQ(form.log.back(), "txtName_Change Zed");
  EXPECT_TRUE(gameKeys.empty()) << gameKeys.front();

  // Disabled: the same click does nothing.
  form.log.clear();
  form.cmdPlay.setEnabled(false);
  clickAt(form, form.cmdPlay.drawnRect());
  EXPECT_TRUE(form.log.empty());
}

TEST(ToolWindowPixels, TheCloseButtonHidesTheForm) {
  QV_REQUIRE_PIXEL_DEVICE(p, 32, 32);
  LaunchForm form;
  int unloads = 0;
  p->window().onUnload = [&](Integer&) { ++unloads; };
  form.show();
  ASSERT_TRUE(form.hasToolWindow());
  doEvents();
  form.pushToolWindowCloseForTests();
  doEvents();
  EXPECT_FALSE(form.visible());
  EXPECT_TRUE(form.hasToolWindow()) << "hidden, not destroyed";
  EXPECT_EQ(unloads, 0) << "the game window is not asked to close";
  EXPECT_FALSE(form.clickForTests("cmdPlay"));
  form.show();
  EXPECT_TRUE(form.visible());
}
