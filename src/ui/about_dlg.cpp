#include "ui/about_dlg.h"

#include "ui/resource.h"

namespace qm {

const MessageMap CAboutDlg::messageMap{&CDialog::messageMap, nullptr, 0};

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) { RegisterQuillmarshResources(); }

const MessageMap* CAboutDlg::GetMessageMap() const { return &messageMap; }

// The about box binds and exchanges nothing.
void CAboutDlg::DoDataExchange(CDataExchange* /*exchange*/) {}

}  // namespace qm
