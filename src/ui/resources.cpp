// The program's resources: its three dialog templates, the no-thumbnail
// picture, the icon and the about item's text, embedded at build time.
#include <cstddef>
#include <span>

#include "platform/bitmap.h"
#include "platform/dialog_template.h"
#include "ui/resource.h"

extern const unsigned char qm_res_nothumbnail_bmp[];
extern const std::size_t qm_res_nothumbnail_bmp_size;
extern const unsigned char qm_res_icon48_bmp[];
extern const std::size_t qm_res_icon48_bmp_size;
extern const unsigned char qm_res_icon32_bmp[];
extern const std::size_t qm_res_icon32_bmp_size;
extern const unsigned char qm_res_icon16_bmp[];
extern const std::size_t qm_res_icon16_bmp_size;

namespace qm {
namespace {

using K = ControlKind;

// Template 102: a tall, narrow window with the aircraft group at the top, the
// thumbnail centred below it, the category group, and "Close" at the foot.
const DialogTemplate kMainDialog{
    IDD_QUILLMARSH_DIALOG, "Quillmarsh", "MS Shell Dlg", 8, 293, 505,
    /*sizingBorder=*/true, /*appWindow=*/true,
    {
        {K::PushButton, 1, "Close", 121, 484, 50, 14, true},
        {K::DropDownList, IDC_MANUFACTURER, "", 72, 20, 204, 120, true},
        {K::Label, 0, "Manufacturer", 16, 20, 52, 13, false, true},
        {K::GroupBox, 0, "Flight Sim Aircrafts", 7, 7, 279, 88},
        {K::DropDownList, IDC_MODEL, "", 72, 38, 204, 120, true},
        {K::Label, 0, "Model", 16, 38, 52, 13, false, true},
        {K::DropDownList, IDC_VARIATION, "", 72, 56, 204, 120, true},
        {K::Label, 0, "Variation", 16, 56, 52, 13, false, true},
        {K::GroupBox, 0, "Brindlecotharbor", 7, 246, 279, 230},
        {K::Label, 0, "Display Name", 16, 261, 52, 13, false, true},
        {K::Edit, IDC_DISPLAY_NAME, "", 72, 260, 148, 14, true},
        {K::PushButton, IDC_AUTO_FILL, "Auto-Fill", 226, 260, 50, 14, true},
        {K::Label, 0, "Category", 16, 279, 52, 13, false, true},
        {K::DropDownList, IDC_CATEGORY, "", 72, 278, 204, 120, true},
        {K::PushButton, IDC_ADD, "<< Add", 210, 298, 66, 14, true},
        {K::ListBox, IDC_ENTRY_LIST, "", 16, 298, 188, 170, true},
        {K::PushButton, IDC_REMOVE, "> Remove", 210, 436, 66, 14, true},
        {K::PushButton, IDC_REFRESH, "Refresh", 226, 75, 50, 14, true},
        {K::PushButton, IDC_ADD_IN_NEW, "< Add in New...", 210, 316, 66, 14, true},
        {K::Picture, IDC_THUMBNAIL, "", 45, 101, 203, 140, false, false, IDB_NOTHUMBNAIL, true},
        {K::PushButton, IDC_UPDATE, "Update", 210, 334, 66, 14, true},
        {K::PushButton, IDC_DELETE_CATEGORY, "Delete Category", 210, 454, 66, 14, true},
    }};

// Template 100: the about box.
const DialogTemplate kAboutBox{
    IDD_ABOUTBOX, "About Quillmarsh", "MS Shell Dlg", 8, 235, 55, false, false,
    {
        {K::IconPicture, 0, "", 11, 17, 20, 20, false, false, IDR_MAINFRAME},
        {K::Label, 0, "Quillmarsh Version 1.0", 40, 10, 119, 8, false, true},
        {K::DefPushButton, 1, "OK", 178, 7, 50, 16, true, true},
    }};

// Template 129: the new-category dialog.
const DialogTemplate kNewCategory{
    IDD_NEW_CATEGORY, "New Category", "MS Shell Dlg", 8, 186, 69, false, false,
    {
        {K::DefPushButton, 1, "OK", 129, 48, 50, 14, true},
        {K::PushButton, 2, "Cancel", 7, 48, 50, 14, true},
        {K::Edit, IDC_NEW_CATEGORY_NAME, "", 7, 19, 172, 14, true},
        {K::Label, 0, "Enter new category name", 7, 7, 172, 8, false, true},
    }};

std::span<const std::uint8_t> Bytes(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const std::uint8_t*>(data), size};
}

void RegisterAll() {
    RegisterDialogTemplate(kMainDialog);
    RegisterDialogTemplate(kAboutBox);
    RegisterDialogTemplate(kNewCategory);
    RegisterBitmapResource(IDB_NOTHUMBNAIL, Bytes(qm_res_nothumbnail_bmp, qm_res_nothumbnail_bmp_size));
    RegisterIconResource(IDR_MAINFRAME, {Bytes(qm_res_icon48_bmp, qm_res_icon48_bmp_size),
                                         Bytes(qm_res_icon32_bmp, qm_res_icon32_bmp_size),
                                         Bytes(qm_res_icon16_bmp, qm_res_icon16_bmp_size)});
    RegisterStringResource(IDS_ABOUTBOX, "&About Quillmarsh...");
}

}  // namespace

void RegisterQuillmarshResources() {
    // Once only, whichever thread comes first: registering the icon again
    // would make a new icon handle.
    static const bool registered = (RegisterAll(), true);
    (void)registered;
}

}  // namespace qm
