// BMP and DDS pictures, through the texture decoder.
#include <string>

#include "fuzz/FuzzGame.h"
#include "platform/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage image;
  std::string error;
  decodeImage(data, size, image, error);
  return 0;
}
