#pragma once
// The pictures of the splash window and the about box: a grain structure seen through a
// round field of view, with the program's name, on black (black is cut out of the window).
#include <QIcon>
#include <QImage>

namespace tesra {

// 320 x 339 pixels.
QImage MakeSplashPicture();
// The program's icon in the sizes the desktop files carry, for every window's title bar.
QIcon ProgramIcon();

// 323 x 538 pixels, with a panel for the version and the OK button below the field.
QImage MakeAboutPicture();

}  // namespace tesra
