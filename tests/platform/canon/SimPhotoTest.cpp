// The simulated camera's photos are as complete as a real camera's: an outside Exif
// validator finds nothing to warn about.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/canon/simulator.h"
#include "tests/support/ExiftoolCheck.h"

TEST(SimPhotoTest, PhotosAndThumbnailsPassExifValidation) {
  std::string pattern = ::testing::TempDir() + "tavorin-simphoto-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(pattern.data()));
  const struct {
    int width, height;
  } rows[] = {{640, 480}, {160, 120}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.width);
    std::string path = pattern + "/IMG_" + std::to_string(row.width) + ".JPG";
    std::vector<BYTE> photo = tavsim::SimMakePhoto(row.width, row.height, 7, "Canon PowerShot G9");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(photo.data()), std::streamsize(photo.size()));
    std::string verdict = exiftest::ExiftoolValidate(path);
    EXPECT_TRUE(exiftest::ExiftoolAccepts(verdict)) << verdict;
  }
  std::filesystem::remove_all(pattern);
}
