// The about box: the program's icon, name and version, and OK.
#pragma once

#include "platform/dialog.h"

namespace qm {

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    void DoDataExchange(CDataExchange* exchange) override;
};

}  // namespace qm
