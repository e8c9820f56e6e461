#pragma once

#include <string>

#include <wx/spinctrl.h>

#include "snapshot/SpinFieldRules.h"

namespace pagrovix {

// A spin field of the save-options dialog. Its text is read by SpinFieldRules: a text that is no
// whole number is the minimum, a blank field gets its previous value back, and the value is kept
// within the range when the field is left or read. Only digits, signs, the decimal separator and
// control keys can be typed; Enter and other characters are refused with a beep.
class NumberField : public wxSpinCtrl {
public:
    NumberField(wxWindow* parent, const wxPoint& position, const wxSize& size,
                const SpinRange& range, int initial);
    ~NumberField() override;

    // The value of the field's text under the rules, without changing the field.
    int RuleValue() const;

private:
    void OnChar(wxKeyEvent& event);

    SpinRange range_;
    std::string textBeforeEdit_;
};

}  // namespace pagrovix
