#include "ui/new_category.h"

#include "platform/text.h"
#include "ui/resource.h"

namespace qm {

namespace {

constexpr MessageMapEntry kEntries[] = {
    {WM_COMMAND, IDOK, BN_CLICKED, &MessageThunk<&CNewCategory::OnNewCategoryOk>},
};
}  // namespace

const CRuntimeClass CNewCategory::classCNewCategory{"CNewCategory", sizeof(CNewCategory), 0xFFFF, nullptr,
                                                     &CDialog::classCDialog};
const MessageMap CNewCategory::messageMap{&CDialog::messageMap, kEntries, std::size(kEntries)};

CNewCategory::CNewCategory(CDialog* parent) : CDialog(IDD_NEW_CATEGORY, parent) {
    RegisterQuillmarshResources();
}

CNewCategory::~CNewCategory() = default;

const CRuntimeClass* CNewCategory::GetRuntimeClass() const { return &classCNewCategory; }
const MessageMap* CNewCategory::GetMessageMap() const { return &messageMap; }

void CNewCategory::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_NEW_CATEGORY_NAME, m_nameEdit);
}

bool CNewCategory::OnInitDialog() {
    CDialog::OnInitDialog();
    m_nameEdit.SetFocus();
    return false;
}

void CNewCategory::OnNewCategoryOk() {
    m_categoryName = m_nameEdit.GetWindowText(kShortTextSize);
    OnOK();
}

}  // namespace qm
