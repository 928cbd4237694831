// The main window: the aircraft selection with its thumbnail, and the
// category file's categories and entries.
//
// The controls are the state: every handler reads its inputs from the
// controls when it runs. Besides them the dialog keeps only its icon, the
// simulator root, the aircraft catalogue, the two tables of the category file
// and the bitmap it shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/aircraft_catalogue.h"
#include "categories/category_file.h"
#include "platform/dialog.h"

namespace qm {

// Where a minimised window draws its icon: centred in the client area, with
// the division truncated toward zero.
std::pair<int, int> CentredIconPlace(const Rect& client, int iconWidth, int iconHeight);

class CQuillmarshDlg : public CDialog {
public:
    explicit CQuillmarshDlg(CDialog* parent = nullptr);
    ~CQuillmarshDlg() override;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

    void DoDataExchange(CDataExchange* exchange) override;
    bool OnInitDialog() override;

    // The aircraft selection.
    void ScanAircraftFolder();
    void FillModelCombo();
    void FillVariationCombo();
    void RefreshModelAndVariation();
    void ShowSelectedThumbnail();
    void ClearDisplayName();
    void OnManufacturerChanged();
    void OnModelChanged();
    void OnAutoFill();
    void OnRefresh();

    // The category file and its lists.
    const std::string& GetCategoryFilePath();
    void LoadCategoryNames();
    void LoadCategoryEntries();
    int FindEntryByDisplayName(std::string_view category, std::string_view displayName);
    int CountCategoryEntries(std::string_view category);
    void OnCategoryChanged();

    // Adding entries and creating categories.
    void OnAddToCategory();
    void AppendToCurrentCategory();
    void WriteCategoryEntry(int n, std::string_view category);
    void CreateCategory(std::string_view name);
    void OnAddInNewCategory();

    // The selected entry.
    void OnListSelectionChanged();
    void OnUpdateEntry();
    void OnRemoveFromCategory();
    void OnDeleteCategory();

    // Window behaviours.
    void OnSysCommandAbout(unsigned command, std::intptr_t lParam);
    void OnPaintIcon();
    const Icon* OnQueryDragIconHandler();
    void OnCloseButton();
    void OnCancelButton();

    // For tests and the view.
    const AircraftCatalogue& Catalogue() const { return m_catalogue; }
    const std::string& SimulatorRoot() const { return m_simulatorRoot; }
    const BitmapHandle& ShownBitmap() const { return m_shownBitmap; }
    const std::optional<std::vector<std::string>>& CategoryNameTable() const { return m_categoryNames; }
    const std::optional<std::vector<CategoryEntry>>& EntryTable() const { return m_entries; }

    CComboBox& ManufacturerList() { return m_manufacturerList; }
    CComboBox& ModelList() { return m_modelList; }
    CComboBox& VariationList() { return m_variationList; }
    CEdit& DisplayNameBox() { return m_displayNameEdit; }
    CListBox& EntryList() { return m_entryList; }
    CComboBox& CategoryList() { return m_categoryList; }
    CStatic& Thumbnail() { return m_thumbnail; }

protected:
    void ReportSaveFailures(const std::vector<SaveFailure>& failures) override;

private:
    // The selected line of the entry list and the category it belongs to;
    // nullopt when no line is selected.
    struct SelectedLine {
        std::string category;
        std::string text;
    };
    std::optional<SelectedLine> GetSelectedLine() const;
    // Shows `bitmap` in the picture as the dialog's shown bitmap.
    void ShowBitmap(BitmapHandle bitmap);

    IconHandle m_hIcon;
    std::string m_simulatorRoot;
    AircraftCatalogue m_catalogue;
    std::optional<std::vector<std::string>> m_categoryNames;
    std::optional<std::vector<CategoryEntry>> m_entries;
    BitmapHandle m_shownBitmap;
    std::string m_aircraftFolder;     // formatted at the first scan
    std::string m_categoryFilePath;   // built on first use

    CComboBox m_manufacturerList;
    CComboBox m_modelList;
    CComboBox m_variationList;
    CEdit m_displayNameEdit;
    CListBox m_entryList;
    CComboBox m_categoryList;
    CStatic m_thumbnail;
};

}  // namespace qm
