#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The program's own pictures, drawn rather than shipped as files.
namespace Artwork {

// The banner blue of the status screen.
inline const QColor BannerBlue = QColor(62, 117, 242);

QIcon applicationIcon();
// A speech bubble on the banner blue, for the status screen's banner.
QPixmap bannerPicture(int size);
// Drawn in the middle of the main window's empty client area.
QPixmap backgroundPicture();
QPixmap informationPicture(int size);
QPixmap hourglassPicture(int size);

} // namespace Artwork
