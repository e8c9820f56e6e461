#include "snapshot/NumberField.h"

#include <gtk/gtk.h>
#include <wx/intl.h>
#include <wx/utils.h>

#include "snapshot/FormLook.h"

namespace pagrovix {
namespace {

// GTK reads a spin button's text through its "input" signal, whenever the value is needed: on
// leaving the field, on the arrow keys and buttons, and in wx's GetValue(). Answering it here
// makes every reading follow the field rules instead of GTK's own parsing.
gint ReadFieldText(GtkSpinButton*, gdouble* value, NumberField* field) {
    *value = field->RuleValue();
    return TRUE;
}

char DecimalSeparator() {
    const wxString separator = wxLocale::GetInfo(wxLOCALE_DECIMAL_POINT, wxLOCALE_CAT_NUMBER);
    return separator.length() == 1 && separator[0] < 128 ? char(separator[0]) : '.';
}

}  // namespace

NumberField::NumberField(wxWindow* parent, const wxPoint& position, const wxSize& size,
                         const SpinRange& range, int initial)
    : wxSpinCtrl(parent, wxID_ANY, wxEmptyString, position, size, wxSP_ARROW_KEYS, range.minimum,
                 range.maximum, initial),
      range_(range),
      textBeforeEdit_(std::to_string(initial)) {
    g_signal_connect(GetHandle(), "input", G_CALLBACK(ReadFieldText), this);
    // The keys are filtered by OnChar; GTK's numeric mode would also refuse the separator.
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(GetHandle()), FALSE);
    // The field is 52 px wide: the theme's roomy buttons would leave no space for the digits.
    StyleControl(this,
                 "spinbutton, spinbutton entry { min-height: 0; min-width: 0;"
                 " padding-left: 1px; padding-right: 0; }"
                 " spinbutton button { min-height: 0; min-width: 0; padding: 0; }");
    KeepTextUnselectedOnEntry(this);
    // Even so the theme may need more than the given width; a field cut below its minimum
    // would draw wrongly.
    wxSize fitting = GetSize();
    fitting.IncTo(GetBestSize());
    SetSize(fitting);
    Bind(wxEVT_CHAR, &NumberField::OnChar, this);
    // The value changes only through the rules, the arrows or the program: each change is the
    // text a later blank field goes back to.
    Bind(wxEVT_SPINCTRL, [this](wxSpinEvent& event) {
        textBeforeEdit_ = std::to_string(event.GetPosition());
        event.Skip();
    });
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) {
        textBeforeEdit_ = std::to_string(GetValue());
        event.Skip();
    });
}

NumberField::~NumberField() {
    g_signal_handlers_disconnect_by_func(GetHandle(), (gpointer)ReadFieldText, this);
}

int NumberField::RuleValue() const {
    return SpinFieldValueOnExit(GetTextValue().utf8_string(), textBeforeEdit_, range_);
}

void NumberField::OnChar(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const wxChar character = event.GetUnicodeKey();
    if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER &&
        (character == WXK_NONE || SpinFieldAcceptsKey(int(character), DecimalSeparator()))) {
        event.Skip();
        return;
    }
    wxBell();
}

}  // namespace pagrovix
