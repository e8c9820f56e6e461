#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pagrovix {

// The history keeps this many addresses, newest first.
inline constexpr int kHistoryLength = 24;

// What a visit did to the history, so the address box can do the same to its items.
struct HistoryVisit {
    bool inserted = false;     // the address entered at index 0
    bool droppedLast = false;  // the oldest item fell off the end
    int selected = -1;         // the item to select: 0 when inserted, else where it stands
    bool operator==(const HistoryVisit&) const = default;
};

// The address history of the address box. It follows the pages the browser shows: a new address
// enters at the top, a known one (compared exactly, case-sensitively) is selected where it stands.
class AddressHistory {
public:
    // locationUrl is the browser's current address; blanks and control characters around it are
    // ignored. Nothing happens (and nothing is returned) when no address is left.
    std::optional<HistoryVisit> Visit(std::string_view locationUrl);

    const std::vector<std::string>& Items() const { return items_; }

private:
    std::vector<std::string> items_;
};

// Keys the address box reacts to before its own handling.
enum class AddressKey { Up, Left, Down, Right, Enter, Other };

struct AddressKeyOutcome {
    bool consumed = false;  // the box's own handling does not see the key
    int index = -1;         // the item index afterwards
    bool navigate = false;  // the address in the box is to be opened
    bool operator==(const AddressKeyOutcome&) const = default;
};

// Up/Left step toward the newest item, Down/Right toward the oldest (Down with nothing selected
// picks the newest), Enter opens the address; a key at the end of the list is left to the box.
AddressKeyOutcome HandleAddressKey(AddressKey key, int index, int count);

// Emptying the box's text removes the selection, so the next Down starts at the newest item.
int IndexAfterTextChange(std::string_view text, int index);

}  // namespace pagrovix
