// The new-category dialog: asks for the name of the category that
// "< Add in New..." creates.
#pragma once

#include <string>

#include "platform/dialog.h"

namespace qm {

class CNewCategory : public CDialog {
public:
    explicit CNewCategory(CDialog* parent = nullptr);
    ~CNewCategory() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCNewCategory;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;

    void DoDataExchange(CDataExchange* exchange) override;
    bool OnInitDialog() override;
    void OnNewCategoryOk();

    // The name typed, at most 98 characters; read it once the run ended with
    // IDOK.
    const std::string& GetCategoryName() const { return m_categoryName; }
    CEdit& NameBox() { return m_nameEdit; }

private:
    std::string m_categoryName;
    CEdit m_nameEdit;
};

}  // namespace qm
