#include "image_reader.h"

#include <QImage>

namespace imagetest {

Picture openPicture(const std::string& path) {
  Picture p;
  QImage image;
  if (!image.load(QString::fromStdString(path), "BMP")) return p;
  p.opened = true;
  p.width = image.width();
  p.height = image.height();
  p.rgb.reserve(static_cast<size_t>(p.width) * p.height);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.rgb.push_back(image.pixel(x, y) & 0xFFFFFFu);
  return p;
}

}  // namespace imagetest
