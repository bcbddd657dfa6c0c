// The image store: the channel effects of the two draw modes and the drawing state.
#include <gtest/gtest.h>

#include "codec/image_buffer.h"

namespace codec {
namespace {

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(store.CreateImage(WorkImage, 4, 3));
    ASSERT_TRUE(store.StartDrawing(WorkImage));
  }
  void Set(DrawMode mode, int x, int y, ColourValue value) {
    store.SetDrawMode(mode);
    store.SetPixel(x, y, value);
  }
  ColourValue Get(DrawMode mode, int x, int y) {
    store.SetDrawMode(mode);
    return store.GetPixel(x, y);
  }
  ImageStore store;
};

TEST_F(DrawingTest, ChannelEffectsOfTheTwoModes) {
  // Untouched: opaque black.
  EXPECT_EQ(Get(DrawMode::Default, 0, 0), 0u);
  EXPECT_EQ(Get(DrawMode::AlphaChannel, 0, 0), 4'278'190'080u);
  // Default only: colour taken, alpha kept at 255.
  Set(DrawMode::Default, 1, 1, 0x11223344u);
  EXPECT_EQ(Get(DrawMode::AlphaChannel, 1, 1), 0xFF223344u);
  EXPECT_EQ(Get(DrawMode::Default, 1, 1), 0x00223344u);
  // AlphaChannel only: alpha taken, colour kept at 0.
  Set(DrawMode::AlphaChannel, 2, 1, 0x11223344u);
  EXPECT_EQ(Get(DrawMode::AlphaChannel, 2, 1), 0x11000000u);
  // Both: the whole value, alpha 0 included.
  for (ColourValue value : {StreamMarker, 0x00FFFFFFu, 0x7F000001u}) {
    Set(DrawMode::Default, 3, 2, value);
    Set(DrawMode::AlphaChannel, 3, 2, value);
    EXPECT_EQ(Get(DrawMode::AlphaChannel, 3, 2), value);
  }
  // Neighbours are untouched.
  EXPECT_EQ(Get(DrawMode::AlphaChannel, 2, 2), 0xFF000000u);
}

TEST_F(DrawingTest, ImageWithoutAlphaReadsAlphaZero) {
  Image rgb;
  rgb.width = 2;
  rgb.height = 2;
  rgb.depth = 24;
  rgb.pixels.assign(ImageBytes(2, 2), 0);
  rgb.pixels[0] = 9;
  store.PutImage(1, rgb);
  ASSERT_TRUE(store.StartDrawing(1));
  EXPECT_EQ(Get(DrawMode::AlphaChannel, 0, 0), 9u);
  Set(DrawMode::AlphaChannel, 0, 0, 0xAB000005u);
  EXPECT_EQ(Get(DrawMode::AlphaChannel, 0, 0), 9u);
  EXPECT_EQ(ToRgba(*store.Find(1))[3], 255);
}

TEST(ImageStore, NumbersSizesAndDrawingState) {
  ImageStore store;
  EXPECT_EQ(store.ImageWidth(WorkImage), 0);
  EXPECT_FALSE(store.StartDrawing(WorkImage));
  EXPECT_FALSE(store.CreateImage(WorkImage, 0, 5));
  EXPECT_FALSE(store.CreateImage(WorkImage, kMaxImageSide + 1, 1));
  ASSERT_TRUE(store.CreateImage(WorkImage, 160, 50));
  EXPECT_EQ(store.ImageWidth(WorkImage), 160);
  EXPECT_EQ(store.ImageHeight(WorkImage), 50);
  ASSERT_TRUE(store.StartDrawing(WorkImage));
  EXPECT_EQ(store.GetDrawMode(), DrawMode::Default);
  store.SetDrawMode(DrawMode::AlphaChannel);
  store.StopDrawing();
  store.StopDrawing();  // harmless twice
  ASSERT_TRUE(store.StartDrawing(WorkImage));
  EXPECT_EQ(store.GetDrawMode(), DrawMode::Default);  // every drawing opens in Default
  store.FreeImage(WorkImage);  // freeing the drawn image closes the drawing
  EXPECT_FALSE(store.Drawing());
  EXPECT_EQ(store.ImageWidth(WorkImage), 0);

  Image icon;
  icon.width = icon.height = 16;
  icon.pixels.assign(ImageBytes(16, 16), 0);
  icon.drawable = false;
  store.PutImage(WorkImage, icon);
  EXPECT_FALSE(store.StartDrawing(WorkImage));
  EXPECT_EQ(store.ImageWidth(WorkImage), 16);
}

}  // namespace
}  // namespace codec
