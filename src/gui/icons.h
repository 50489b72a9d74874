// The images of the six tool buttons and the program's own icon. They are drawn as SVG in the
// program's resources and rendered for every common screen scale, so they stay sharp at 1x
// and 2x; each tool-button image carries its own disabled variant.
#pragma once

#include <QIcon>
#include <QString>

namespace skerrow {

inline constexpr int kToolImageCount = 6;

// The resource path of a tool-button image by image index (0 to 5), or of its disabled variant.
QString ToolImagePath(int imageIndex, bool disabled);

// The image of a tool button: its normal and disabled pixmaps at 16 x 16 logical pixels.
QIcon ToolButtonIcon(int imageIndex);

QIcon ApplicationIcon();

}  // namespace skerrow
