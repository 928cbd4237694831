#include "platform/wx/wx_image.h"

#include <cstdlib>
#include <cstring>

#include <wx/icon.h>

namespace qm {

wxImage ToWxImage(const Bitmap* bitmap) {
    if (bitmap == nullptr || bitmap->width <= 0 || bitmap->height <= 0) return {};
    const std::size_t bytes = static_cast<std::size_t>(bitmap->width) * static_cast<std::size_t>(bitmap->height) * 3;
    if (bitmap->rgb.size() < bytes) return {};
    wxImage image(bitmap->width, bitmap->height, false);
    std::memcpy(image.GetData(), bitmap->rgb.data(), bytes);
    return image;
}

wxBitmap ToWxBitmap(const BitmapHandle& bitmap) {
    const wxImage image = ToWxImage(bitmap.get());
    return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

wxIconBundle ToIconBundle(const IconHandle& big, const IconHandle& small) {
    wxIconBundle bundle;
    for (const IconHandle& icon : {big, small}) {
        if (!icon) continue;
        for (const BitmapHandle& image : icon->images) {
            const wxBitmap bitmap = ToWxBitmap(image);
            if (!bitmap.IsOk()) continue;
            const wxSize size = bitmap.GetSize();
            if (bundle.GetIconOfExactSize(size).IsOk()) continue;
            wxIcon wx;
            wx.CopyFromBitmap(bitmap);
            bundle.AddIcon(wx);
        }
    }
    return bundle;
}

BitmapHandle NearestImage(const IconHandle& icon, int size) {
    BitmapHandle best;
    if (!icon) return best;
    for (const BitmapHandle& image : icon->images)
        if (image && (!best || std::abs(image->width - size) < std::abs(best->width - size))) best = image;
    return best;
}

}  // namespace qm
