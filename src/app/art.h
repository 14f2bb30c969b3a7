// Tarvella's own pictures: the application and document icons and the splash picture.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace tarvella::app {

wxIconBundle ApplicationIcon();
wxIconBundle DocumentIcon();

// 479 x 274 pixels, with the product's name on it.
wxBitmap SplashPicture();

}  // namespace tarvella::app
