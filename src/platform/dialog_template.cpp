#include "platform/dialog_template.h"

#include <map>

namespace qm {
namespace {
std::map<int, const DialogTemplate*>& Templates() {
    static std::map<int, const DialogTemplate*> templates;
    return templates;
}
}  // namespace

void RegisterDialogTemplate(const DialogTemplate& dialogTemplate) {
    Templates()[dialogTemplate.id] = &dialogTemplate;
}

const DialogTemplate* FindDialogTemplate(int id) {
    const auto found = Templates().find(id);
    return found == Templates().end() ? nullptr : found->second;
}

}  // namespace qm
