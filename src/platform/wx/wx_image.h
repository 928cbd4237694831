// The program's pictures as toolkit images.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>
#include <wx/image.h>

#include "platform/bitmap.h"

namespace qm {

// The picture's pixels; an invalid image for a null or malformed bitmap.
wxImage ToWxImage(const Bitmap* bitmap);
wxBitmap ToWxBitmap(const BitmapHandle& bitmap);
// Every image of the icons, each size once (the first icon's image wins).
wxIconBundle ToIconBundle(const IconHandle& big, const IconHandle& small);
// The icon's image whose width is nearest to `size` pixels; null when none.
BitmapHandle NearestImage(const IconHandle& icon, int size);

}  // namespace qm
