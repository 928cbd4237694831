// Quillmarsh: started in the companion folder Trevolan/Brindlecotharbor below
// the simulator's root; arguments are ignored.
#include "app/quillmarsh_app.h"
#include "platform/wx/wx_app.h"

namespace {
qm::CQuillmarshApp theApp;
}

int main(int argc, char** argv) {
    return qm::RunWxApplication(argc, argv, [] { return qm::AfxWinMain(); });
}
