#include "ui/quillmarsh_dlg.h"

#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "ui/about_dlg.h"
#include "ui/new_category.h"
#include "ui/resource.h"

namespace qm {

namespace {

// "<< Add" and "< Add in New..." keep kShortTextSize - 1 characters of the
// display name, "Update" up to 253.
constexpr int kUpdateDisplayNameCount = static_cast<int>(kUpdateReadSize);

constexpr MessageMapEntry kEntries[] = {
    {WM_SYSCOMMAND, 0, 0, &MessageThunk<&CQuillmarshDlg::OnSysCommandAbout>},
    {WM_PAINT, 0, 0, &MessageThunk<&CQuillmarshDlg::OnPaintIcon>},
    {WM_QUERYDRAGICON, 0, 0, &MessageThunk<&CQuillmarshDlg::OnQueryDragIconHandler>},
    {WM_COMMAND, IDOK, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnCloseButton>},
    {WM_COMMAND, IDCANCEL, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnCancelButton>},
    {WM_COMMAND, IDC_MANUFACTURER, CBN_SELCHANGE, &MessageThunk<&CQuillmarshDlg::OnManufacturerChanged>},
    {WM_COMMAND, IDC_MODEL, CBN_SELCHANGE, &MessageThunk<&CQuillmarshDlg::OnModelChanged>},
    {WM_COMMAND, IDC_AUTO_FILL, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnAutoFill>},
    {WM_COMMAND, IDC_REFRESH, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnRefresh>},
    {WM_COMMAND, IDC_CATEGORY, CBN_SELCHANGE, &MessageThunk<&CQuillmarshDlg::OnCategoryChanged>},
    {WM_COMMAND, IDC_ADD, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnAddToCategory>},
    {WM_COMMAND, IDC_REMOVE, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnRemoveFromCategory>},
    {WM_COMMAND, IDC_VARIATION, CBN_SELCHANGE, &MessageThunk<&CQuillmarshDlg::ShowSelectedThumbnail>},
    {WM_COMMAND, IDC_ADD_IN_NEW, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnAddInNewCategory>},
    {WM_COMMAND, IDC_ENTRY_LIST, LBN_SELCHANGE, &MessageThunk<&CQuillmarshDlg::OnListSelectionChanged>},
    {WM_COMMAND, IDC_UPDATE, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnUpdateEntry>},
    {WM_COMMAND, IDC_DELETE_CATEGORY, BN_CLICKED, &MessageThunk<&CQuillmarshDlg::OnDeleteCategory>},
};

}  // namespace

const MessageMap CQuillmarshDlg::messageMap{&CDialog::messageMap, kEntries, std::size(kEntries)};

const MessageMap* CQuillmarshDlg::GetMessageMap() const { return &messageMap; }

std::pair<int, int> CentredIconPlace(const Rect& client, int iconWidth, int iconHeight) {
    // Integer division in C++ truncates toward zero, as the placement wants.
    return {(client.Width() - iconWidth + 1) / 2, (client.Height() - iconHeight + 1) / 2};
}

CQuillmarshDlg::CQuillmarshDlg(CDialog* parent) : CDialog(IDD_QUILLMARSH_DIALOG, parent) {
    RegisterQuillmarshResources();
    m_hIcon = LoadIconResource(IDR_MAINFRAME);
}

CQuillmarshDlg::~CQuillmarshDlg() = default;

void CQuillmarshDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_MANUFACTURER, m_manufacturerList);
    DDX_Control(exchange, IDC_MODEL, m_modelList);
    DDX_Control(exchange, IDC_VARIATION, m_variationList);
    DDX_Control(exchange, IDC_DISPLAY_NAME, m_displayNameEdit);
    DDX_Control(exchange, IDC_ENTRY_LIST, m_entryList);
    DDX_Control(exchange, IDC_CATEGORY, m_categoryList);
    DDX_Control(exchange, IDC_THUMBNAIL, m_thumbnail);
}

bool CQuillmarshDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* systemMenu = GetSystemMenu(false)) {
        const std::string aboutText = LoadStringResource(IDS_ABOUTBOX);
        if (!aboutText.empty()) {
            systemMenu->AppendMenuA(MF_SEPARATOR, 0, "");
            systemMenu->AppendMenuA(MF_STRING, AboutCommand, aboutText);
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<std::intptr_t>(&m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<std::intptr_t>(&m_hIcon));

    // The program is started in the companion folder below the simulator
    // root; the root is the current directory less that folder's 26
    // characters.
    m_simulatorRoot = GetCurrentDirectoryA();
    if (m_simulatorRoot.size() < kCompanionFolder.size()) {
        MessageBox("Quillmarsh must be started from the folder Trevolan/Brindlecotharbor below the "
                   "simulator's root folder.\n\nThe current folder is:\n" +
                       (m_simulatorRoot.empty() ? std::string("(unknown)") : m_simulatorRoot),
                   "Error", MB_ICONEXCLAMATION);
        EndDialog(IDCANCEL);
        return true;
    }
    m_simulatorRoot.resize(m_simulatorRoot.size() - kCompanionFolder.size());

    ScanAircraftFolder();
    m_shownBitmap.reset();
    m_manufacturerList.SetCurSel(0);
    RefreshModelAndVariation();

    m_categoryNames.reset();
    m_entries.reset();
    LoadCategoryNames();
    LoadCategoryEntries();
    return true;
}

void CQuillmarshDlg::ReportSaveFailures(const std::vector<SaveFailure>& failures) {
    for (const SaveFailure& failure : failures)
        MessageBox("Could not save the category file\n" + failure.path + "\n" + failure.reason, "Error",
                   MB_ICONEXCLAMATION);
    // The store has dropped the change that did not reach the disk: show what
    // the file holds, keeping the category the user was in where it remains.
    const std::string category = m_categoryList.GetSelectedText();
    LoadCategoryNames();
    const int index = m_categoryList.FindStringExact(0, category);
    if (index >= 0) m_categoryList.SetCurSel(index);
    LoadCategoryEntries();
}

// ---- The aircraft selection ----------------------------------------------------------

void CQuillmarshDlg::ScanAircraftFolder() {
    if (m_aircraftFolder.empty()) m_aircraftFolder = AircraftFolderOf(m_simulatorRoot);
    qm::ScanAircraftFolder(m_aircraftFolder, m_catalogue, m_manufacturerList);
}

void CQuillmarshDlg::FillModelCombo() {
    const std::string manufacturer = m_manufacturerList.GetSelectedText();
    m_modelList.ResetContent();
    for (const AircraftRecord& record : m_catalogue.Records()) {
        if (!EqualsNoCase(record.manufacturer, manufacturer)) continue;
        if (m_modelList.FindStringExact(0, record.model) == -1) m_modelList.AddString(record.model);
    }
    m_modelList.SetCurSel(0);
}

void CQuillmarshDlg::FillVariationCombo() {
    const std::string model = m_modelList.GetSelectedText();
    const std::string manufacturer = m_manufacturerList.GetSelectedText();
    m_variationList.ResetContent();
    for (const AircraftRecord& record : m_catalogue.Records()) {
        if (!EqualsNoCase(record.model, model) || !EqualsNoCase(record.manufacturer, manufacturer)) continue;
        if (m_variationList.FindStringExact(0, record.variation) == -1)
            m_variationList.AddString(record.variation);
    }
    m_variationList.SetCurSel(0);
    ShowSelectedThumbnail();
}

void CQuillmarshDlg::RefreshModelAndVariation() {
    FillModelCombo();
    FillVariationCombo();
}

void CQuillmarshDlg::ShowBitmap(BitmapHandle bitmap) {
    m_shownBitmap = std::move(bitmap);
    m_thumbnail.SetBitmap(m_shownBitmap);
}

void CQuillmarshDlg::ShowSelectedThumbnail() {
    ClearDisplayName();
    const std::string manufacturer = m_manufacturerList.GetSelectedText();
    const std::string model = m_modelList.GetSelectedText();
    const std::string variation = m_variationList.GetSelectedText();
    const int record = m_catalogue.FindRecordBySelection(manufacturer, model, variation);
    m_shownBitmap.reset();
    if (record >= 0 && !m_catalogue[record].thumbnailPath.empty())
        ShowBitmap(LoadImageFromFile(std::string(m_catalogue[record].thumbnailPath)));
    else
        ShowBitmap(LoadBitmapResource(IDB_NOTHUMBNAIL));
}

void CQuillmarshDlg::ClearDisplayName() { m_displayNameEdit.SetWindowText(""); }

void CQuillmarshDlg::OnManufacturerChanged() {
    FillModelCombo();
    FillVariationCombo();
    ClearDisplayName();
}

void CQuillmarshDlg::OnModelChanged() {
    FillVariationCombo();
    ClearDisplayName();
}

void CQuillmarshDlg::OnAutoFill() {
    const std::string manufacturer = m_manufacturerList.GetSelectedText();
    const std::string model = m_modelList.GetSelectedText();
    const std::string variation = m_variationList.GetSelectedText();
    m_displayNameEdit.SetWindowText(manufacturer + " " + model + " " + variation);
}

void CQuillmarshDlg::OnRefresh() {
    ScanAircraftFolder();
    m_manufacturerList.SetCurSel(0);
    RefreshModelAndVariation();
}

// ---- The category file and its lists ---------------------------------------------------

const std::string& CQuillmarshDlg::GetCategoryFilePath() {
    if (m_categoryFilePath.empty()) m_categoryFilePath = CategoryFilePathOf(m_simulatorRoot);
    return m_categoryFilePath;
}

void CQuillmarshDlg::LoadCategoryNames() {
    m_categoryNames = ReadCategoryNames(GetCategoryFilePath());
    m_categoryList.ResetContent();
    m_categoryList.AddStrings(*m_categoryNames);
    m_categoryList.SetCurSel(0);
}

void CQuillmarshDlg::LoadCategoryEntries() {
    const std::string& path = GetCategoryFilePath();
    const std::string category = m_categoryList.GetSelectedText();
    m_entries = ReadCategoryEntries(path, category);
    m_entryList.ResetContent();
    std::vector<std::string> lines;
    lines.reserve(m_entries->size());
    for (const CategoryEntry& entry : *m_entries) lines.push_back(entry.displayName);
    m_entryList.AddStrings(std::move(lines));
}

int CQuillmarshDlg::FindEntryByDisplayName(std::string_view category, std::string_view displayName) {
    return qm::FindEntryByDisplayName(GetCategoryFilePath(), category, displayName);
}

int CQuillmarshDlg::CountCategoryEntries(std::string_view category) {
    return qm::CountCategoryEntries(GetCategoryFilePath(), category);
}

void CQuillmarshDlg::OnCategoryChanged() { LoadCategoryEntries(); }

// ---- Adding entries and creating categories ---------------------------------------------

void CQuillmarshDlg::OnAddToCategory() {
    if (m_displayNameEdit.GetWindowText(kShortTextSize).empty()) {
        MessageBox("Please enter a display name", "Error", MB_ICONINFORMATION);
        return;
    }
    AppendToCurrentCategory();
    LoadCategoryEntries();
}

void CQuillmarshDlg::AppendToCurrentCategory() {
    const std::string category = m_categoryList.GetSelectedText();
    // An entry written under an empty section name could never be listed.
    if (category.empty()) {
        MessageBox("Please select a category first.", "Error", MB_ICONINFORMATION);
        return;
    }
    WriteCategoryEntry(CountCategoryEntries(category), category);
}

void CQuillmarshDlg::WriteCategoryEntry(int n, std::string_view category) {
    const std::string displayName = m_displayNameEdit.GetWindowText(kShortTextSize);
    const std::string manufacturer = m_manufacturerList.GetSelectedText();
    const std::string model = m_modelList.GetSelectedText();
    const std::string variation = m_variationList.GetSelectedText();
    const int record = m_catalogue.FindRecordBySelection(manufacturer, model, variation);
    if (record < 0) {
        MessageBox("Aircraft not found !!", "Error", MB_ICONINFORMATION);
        return;
    }
    const AircraftRecord& aircraft = m_catalogue[record];
    WriteEntryKeys(GetCategoryFilePath(), category, n, aircraft.title, aircraft.thumbnailPath, displayName);
}

void CQuillmarshDlg::CreateCategory(std::string_view typedName) {
    // The category is found and selected by the name the file keeps: section
    // names are read trimmed, and line breaks cannot stand in one.
    const std::string name = ProfileNameAsStored(typedName);
    if (name.empty()) {
        MessageBox("Please enter a category name", "Error", MB_ICONINFORMATION);
        return;
    }
    if (CategoryExists(GetCategoryFilePath(), name)) {
        MessageBox("This category already exists", "Error", MB_ICONEXCLAMATION);
        return;
    }
    WriteCategoryEntry(0, name);
    LoadCategoryNames();
    const int index = m_categoryList.FindStringExact(0, name);
    if (index >= 0) m_categoryList.SetCurSel(index);
    LoadCategoryEntries();
}

void CQuillmarshDlg::OnAddInNewCategory() {
    if (m_displayNameEdit.GetWindowText(kShortTextSize).empty()) {
        MessageBox("Please enter a display name", "Error", MB_ICONINFORMATION);
        return;
    }
    CNewCategory dialog(nullptr);
    if (dialog.DoModal() == IDOK)
        CreateCategory(dialog.GetCategoryName());
    else
        m_categoryList.SetCurSel(0);
    LoadCategoryEntries();
}

// ---- The selected entry ----------------------------------------------------------------

std::optional<CQuillmarshDlg::SelectedLine> CQuillmarshDlg::GetSelectedLine() const {
    const int line = m_entryList.GetCurSel();
    if (line < 0) return std::nullopt;
    return SelectedLine{m_categoryList.GetSelectedText(), m_entryList.GetText(line)};
}

void CQuillmarshDlg::OnListSelectionChanged() {
    const std::optional<SelectedLine> line = GetSelectedLine();
    if (!line) return;
    const std::string& category = line->category;
    m_displayNameEdit.SetWindowText(line->text);
    const int n = FindEntryByDisplayName(category, line->text);
    if (n < 0) return;
    m_shownBitmap.reset();
    const std::optional<std::string> thumbnail =
        ReadEntryThumbnail(GetCategoryFilePath(), category, n);
    ShowBitmap(thumbnail ? LoadImageFromFile(*thumbnail) : LoadBitmapResource(IDB_NOTHUMBNAIL));
}

void CQuillmarshDlg::OnUpdateEntry() {
    const std::optional<SelectedLine> line = GetSelectedLine();
    if (!line) {
        MessageBox("Please select an aircraft first.", "Error", MB_ICONINFORMATION);
        return;
    }
    const std::string& category = line->category;
    const int n = FindEntryByDisplayName(category, line->text);
    if (n < 0) return;
    const std::string displayName = m_displayNameEdit.GetWindowText(kUpdateDisplayNameCount);
    const std::string& path = GetCategoryFilePath();
    // A missing title finds no record: the scan keeps no "<UNDEFINED>" title.
    const std::optional<std::string> title = ReadEntryTitle(path, category, n);
    const int record = title ? m_catalogue.FindRecordByTitle(*title) : -1;
    if (record < 0) return;
    UpdateEntry(path, category, n, displayName, m_catalogue[record].thumbnailPath);
    LoadCategoryEntries();
}

void CQuillmarshDlg::OnRemoveFromCategory() {
    const std::optional<SelectedLine> line = GetSelectedLine();
    if (!line) {
        MessageBox("Please select an aircraft in the list", "Error", MB_ICONINFORMATION);
        return;
    }
    const int i = FindEntryByDisplayName(line->category, line->text);
    if (i < 0) return;
    RemoveEntry(GetCategoryFilePath(), line->category, i);
    LoadCategoryEntries();
}

void CQuillmarshDlg::OnDeleteCategory() {
    const std::string category = m_categoryList.GetSelectedText();
    if (category.empty()) return;
    const std::string question = "Are you sure you want to delete the\n'" + category + "' category?";
    if (MessageBox(question, "Confirmation", MB_OKCANCEL) != IDOK) return;
    DeleteCategory(GetCategoryFilePath(), category);
    LoadCategoryNames();
    LoadCategoryEntries();
}

// ---- Window behaviours -------------------------------------------------------------------

void CQuillmarshDlg::OnSysCommandAbout(unsigned command, std::intptr_t lParam) {
    if ((command & 0xFFF0) == AboutCommand) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    DefWindowProc({WM_SYSCOMMAND, command, lParam});
}

void CQuillmarshDlg::OnPaintIcon() {
    if (!IsIconic()) {
        OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, dc.GetSafeHdc(), 0);
    const int cx = GetSystemMetrics(SM_CXICON);
    const int cy = GetSystemMetrics(SM_CYICON);
    const auto [x, y] = CentredIconPlace(GetClientRect(), cx, cy);
    dc.DrawIcon(x, y, m_hIcon);
}

const Icon* CQuillmarshDlg::OnQueryDragIconHandler() { return m_hIcon.get(); }

void CQuillmarshDlg::OnCloseButton() {
    if (MessageBox("Do you really want to exit?", "Warning", MB_YESNO) != IDYES) return;
    OnOK();
}

void CQuillmarshDlg::OnCancelButton() {
    if (MessageBox("Do you really want to exit?", "Warning", MB_YESNO) != IDYES) return;
    OnCancel();
}

}  // namespace qm
