#include "gui/icons.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <array>

// The images are compiled into this library; a static library must register them itself.
static void RegisterImages() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(skerrow);
    return true;
  }();
  (void)registered;
}

namespace skerrow {

namespace {

// In image-index order: Add, Save list, Remove, Process, Exit, Clear all.
constexpr std::array<const char*, kToolImageCount> kToolImageNames = {
    "pages", "diskette", "remove", "process", "exit", "noentry"};

// The scales rendered ahead; QIcon picks the one that fits the screen.
constexpr std::array<qreal, 4> kScales = {1.0, 1.5, 2.0, 3.0};

QPixmap Render(QSvgRenderer& svg, int logicalSize, qreal scale) {
  const int pixels = qRound(logicalSize * scale);
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  svg.render(&painter, QRectF(0, 0, pixels, pixels));
  painter.end();
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

void AddRenderings(QIcon& icon, const QString& path, int logicalSize, QIcon::Mode mode) {
  RegisterImages();
  QSvgRenderer svg(path);
  if (!svg.isValid()) return;
  for (qreal scale : kScales) icon.addPixmap(Render(svg, logicalSize, scale), mode);
}

}  // namespace

QString ToolImagePath(int imageIndex, bool disabled) {
  RegisterImages();
  const char* name = kToolImageNames.at(static_cast<size_t>(imageIndex));
  return QStringLiteral(":/icons/%1%2.svg")
      .arg(QLatin1String(name), disabled ? QStringLiteral("-disabled") : QString());
}

QIcon ToolButtonIcon(int imageIndex) {
  QIcon icon;
  AddRenderings(icon, ToolImagePath(imageIndex, false), 16, QIcon::Normal);
  AddRenderings(icon, ToolImagePath(imageIndex, true), 16, QIcon::Disabled);
  return icon;
}

QIcon ApplicationIcon() {
  RegisterImages();
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) {
    QSvgRenderer svg(QStringLiteral(":/icons/skerrow.svg"));
    icon.addPixmap(Render(svg, size, 1.0));
  }
  return icon;
}

}  // namespace skerrow
