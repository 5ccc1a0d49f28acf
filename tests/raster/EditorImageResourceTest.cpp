// The module's images: every id 101..117 is found in this executable's own resources (Windows:
// "PNG" resources compiled from the generated script; Linux: the linked-in bytes) and decodes
// to the size the image table gives it at this executable's scale.
#include "raster/EditorImageResource.h"

#include <gtest/gtest.h>

namespace {

// Full-size (VST 3) width and height by id; the VST 2 set is exactly half.
struct ImageSize {
  int id, width, height;
};
const ImageSize kSizes[] = {
    {101, 2000, 2000}, {102, 1000, 60},   {103, 40, 50},    {104, 40, 50},    {105, 80, 50},   {106, 80, 50},
    {107, 120, 3480},  {108, 160, 4640},  {109, 160, 4640}, {110, 160, 4640}, {111, 160, 4640}, {112, 160, 4640},
    {113, 100, 2320},  {114, 100, 2320},  {115, 340, 4640}, {116, 1000, 1000}, {117, 900, 720},
};

TEST(EditorImageResource, EveryIdDecodesAtThisModulesScale) {
  void* module = ThisExecutableModule();
  for (const ImageSize& s : kSizes) {
    SCOPED_TRACE(s.id);
    EditorImageBytes bytes;
    ASSERT_TRUE(FindEditorImage(module, s.id, &bytes));
    EXPECT_GT(bytes.size, 8u);
    std::unique_ptr<LICE_MemBitmap> bm = LoadPngResource(module, s.id);
    ASSERT_TRUE(bm);
    EXPECT_EQ(bm->Width(), s.width / SYLVANE_TEST_IMAGE_DIVISOR);
    EXPECT_EQ(bm->Height(), s.height / SYLVANE_TEST_IMAGE_DIVISOR);
  }
  for (int id : {0, 100, 118, -1}) {
    EditorImageBytes bytes;
    EXPECT_FALSE(FindEditorImage(module, id, &bytes)) << id;
    EXPECT_EQ(bytes.data, nullptr);
    EXPECT_FALSE(LoadPngResource(module, id)) << id;
  }
}

}  // namespace
