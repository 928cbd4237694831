// Resource and control ids of Quillmarsh's windows.
#pragma once

namespace qm {

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_QUILLMARSH_DIALOG = 102;
inline constexpr int IDD_NEW_CATEGORY = 129;

// Pictures and texts.
inline constexpr int IDR_MAINFRAME = 128;   // the program's icon
inline constexpr int IDB_NOTHUMBNAIL = 133; // the picture of an aircraft without a thumbnail
inline constexpr int IDS_ABOUTBOX = 101;    // "&About Quillmarsh..."

// The system-menu command of the about item.
inline constexpr unsigned AboutCommand = 0x10;

// Controls of the main dialog.
inline constexpr int IDC_MANUFACTURER = 1002;
inline constexpr int IDC_MODEL = 1003;
inline constexpr int IDC_VARIATION = 1004;
inline constexpr int IDC_DISPLAY_NAME = 1006;
inline constexpr int IDC_AUTO_FILL = 1007;
inline constexpr int IDC_CATEGORY = 1008;
inline constexpr int IDC_ADD = 1009;
inline constexpr int IDC_ENTRY_LIST = 1010;
inline constexpr int IDC_REMOVE = 1011;
inline constexpr int IDC_REFRESH = 1012;
inline constexpr int IDC_ADD_IN_NEW = 1013;
inline constexpr int IDC_THUMBNAIL = 1014;
inline constexpr int IDC_UPDATE = 1015;
inline constexpr int IDC_DELETE_CATEGORY = 1016;

// The name box of the new-category dialog.
inline constexpr int IDC_NEW_CATEGORY_NAME = 1006;

// Registers the templates, pictures, icon and texts above (once).
void RegisterQuillmarshResources();

}  // namespace qm
