#include "app/AddressHistory.h"

#include <algorithm>

#include "ui/AddressRules.h"

namespace pagrovix {

std::optional<HistoryVisit> AddressHistory::Visit(std::string_view locationUrl) {
    const std::string address = TrimAddress(locationUrl);
    if (address.empty()) {
        return std::nullopt;
    }
    HistoryVisit visit;
    const auto known = std::find(items_.begin(), items_.end(), address);
    if (known != items_.end()) {
        visit.selected = static_cast<int>(known - items_.begin());
        return visit;
    }
    items_.insert(items_.begin(), address);
    visit.inserted = true;
    visit.selected = 0;
    if (static_cast<int>(items_.size()) > kHistoryLength) {
        items_.pop_back();
        visit.droppedLast = true;
    }
    return visit;
}

AddressKeyOutcome HandleAddressKey(AddressKey key, int index, int count) {
    switch (key) {
        case AddressKey::Up:
        case AddressKey::Left:
            if (index > 0) {
                return {true, index - 1, false};
            }
            break;
        case AddressKey::Down:
        case AddressKey::Right:
            if (index < count - 1) {
                return {true, index + 1, false};
            }
            break;
        case AddressKey::Enter:
            return {true, index, true};
        case AddressKey::Other:
            break;
    }
    return {false, index, false};
}

int IndexAfterTextChange(std::string_view text, int index) {
    return text.empty() ? -1 : index;
}

}  // namespace pagrovix
