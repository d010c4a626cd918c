#include "platform/qt/qt_strings.h"

#include "platform/window/toolkit_backend.h"

namespace {
CStringTable& Strings() {
    static CStringTable strings;
    return strings;
}
}  // namespace

void RegisterStrings(const CStringTable& strings) {
    Strings() = strings;
}

std::u16string LoadResourceString(int resourceId) {
    for (const auto& [id, text] : Strings()) {
        if (id == resourceId) {
            return text;
        }
    }
    return {};
}
