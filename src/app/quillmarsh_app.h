// The application object: its start-up runs the main window modally, and the
// program ends when the window closes.
#pragma once

#include "platform/dialog.h"

namespace qm {

class CQuillmarshApp : public CWinApp {
public:
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    bool InitInstance() override;
};

}  // namespace qm
