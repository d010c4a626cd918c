#include "platform/qt/qt_icons.h"

#include <map>
#include <memory>

#include "platform/window/toolkit_backend.h"

namespace {
std::map<int, std::unique_ptr<CIconResource>>& Icons() {
    static std::map<int, std::unique_ptr<CIconResource>> icons;
    return icons;
}
}  // namespace

void RegisterIcon(int resourceId, const QIcon& icon) {
    auto& slot = Icons()[resourceId];
    if (!slot) {
        slot = std::make_unique<CIconResource>();
    }
    slot->icon = icon;  // the entry stays where it is, so handles given out stay valid
}

HICON LoadResourceIcon(int resourceId) {
    auto found = Icons().find(resourceId);
    return found == Icons().end() ? nullptr : found->second.get();
}
