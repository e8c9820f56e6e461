// The selection of the Snapshot window: handles dragged with the mouse, corners typed into the
// fields, the guide lines and the position read-out.
#include <wx/dc.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "snapshot/CornerInput.h"
#include "snapshot/CommandErrors.h"
#include "snapshot/PictureView.h"
#include "snapshot/SnapshotForm.h"

namespace pagrovix {
namespace {

wxRect ToWx(const PixelRect& r) {
    return {r.left, r.top, r.width, r.height};
}

}  // namespace

std::array<PixelRect, 6> TfrmSnapshot::ShapeBounds() const {
    return {selection_.GuideLineBounds(GuideLine::Top),
            selection_.GuideLineBounds(GuideLine::Left),
            selection_.GuideLineBounds(GuideLine::Bottom),
            selection_.GuideLineBounds(GuideLine::Right),
            selection_.HandleBounds(Handle::TopLeft),
            selection_.HandleBounds(Handle::BottomRight)};
}

void TfrmSnapshot::RefreshShapes() {
    const std::array<PixelRect, 6> now = ShapeBounds();
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (shownShapes_[i].left != now[i].left || shownShapes_[i].top != now[i].top) {
            ScrollBox1->RefreshPictureRect(shownShapes_[i]);
            ScrollBox1->RefreshPictureRect(now[i]);
        }
    }
    shownShapes_ = now;
}

void TfrmSnapshot::LayoutSelection(Handle active) {
    selection_.Clamp(active);
    RefreshShapes();
    for (int tag = 1; tag <= 4; ++tag) {
        const wxString text = CornerText(selection_, tag);
        if (CornerField(tag)->GetValue() != text) {
            CornerField(tag)->ChangeValue(text);
        }
    }
}

void TfrmSnapshot::DrawShapes(wxDC& dc) const {
    // A guide line is 2 px thick and its 1-px black outline covers its fill, so it shows black;
    // the handles are red all through.
    dc.SetPen(*wxTRANSPARENT_PEN);
    if (guideLinesVisible_) {
        dc.SetBrush(*wxBLACK_BRUSH);
        for (const GuideLine line :
             {GuideLine::Top, GuideLine::Left, GuideLine::Bottom, GuideLine::Right}) {
            dc.DrawRectangle(ToWx(selection_.GuideLineBounds(line)));
        }
    }
    dc.SetBrush(*wxRED_BRUSH);
    dc.DrawRectangle(ToWx(selection_.HandleBounds(Handle::TopLeft)));
    dc.DrawRectangle(ToWx(selection_.HandleBounds(Handle::BottomRight)));
}

Handle TfrmSnapshot::HandleAt(PixelPoint position) const {
    if (!ScrollBox1->InPicture(position)) {
        return Handle::None;
    }
    // The bottom-right handle lies on top.
    if (selection_.HandleBounds(Handle::BottomRight).Contains(position)) {
        return Handle::BottomRight;
    }
    if (selection_.HandleBounds(Handle::TopLeft).Contains(position)) {
        return Handle::TopLeft;
    }
    return Handle::None;
}

bool TfrmSnapshot::OnGuideLine(PixelPoint position) const {
    if (!guideLinesVisible_) {
        return false;
    }
    for (const GuideLine line :
         {GuideLine::Top, GuideLine::Left, GuideLine::Bottom, GuideLine::Right}) {
        if (selection_.GuideLineBounds(line).Contains(position)) {
            return true;
        }
    }
    return false;
}

PixelPoint TfrmSnapshot::ScreenPosition(const wxMouseEvent& event) const {
    const wxPoint p = ScrollBox1->ClientToScreen(event.GetPosition());
    return {p.x, p.y};
}

void TfrmSnapshot::Shape6MouseDown(wxMouseEvent& event) {
    event.Skip();
    const Handle pressed = HandleAt(ScrollBox1->PicturePosition(event.GetPosition()));
    if (pressed == Handle::None || !event.LeftDown() ||
        selection_.DraggedHandle() != Handle::None) {
        return;
    }
    // A corner typed but not yet applied takes effect before the drag starts.
    for (int tag = 1; tag <= 4; ++tag) {
        if (FindFocus() == CornerField(tag)) {
            IgnoreErrors([this, tag] { ApplyCornerField(tag); });
        }
    }
    ScrollBox1->SetFocus();
    selection_.BeginDrag(pressed, ScreenPosition(event));
    if (!ScrollBox1->HasCapture()) {
        ScrollBox1->CaptureMouse();
    }
}

void TfrmSnapshot::Panel2MouseMove(wxMouseEvent& event) {
    if (selection_.DraggedHandle() != Handle::None) {
        selection_.MoveDraggedHandle(ScreenPosition(event));
        LayoutSelection(selection_.DraggedHandle());
        return;
    }
    const PixelPoint position = ScrollBox1->PicturePosition(event.GetPosition());
    const bool onHandle = HandleAt(position) != Handle::None;
    ScrollBox1->SetCursor(onHandle ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
    if (!onHandle && !OnGuideLine(position) && ScrollBox1->InPicture(position)) {
        Image1MouseMove(position);
    }
}

void TfrmSnapshot::Panel2MouseUp(wxMouseEvent& event) {
    if (selection_.DraggedHandle() == Handle::None) {
        return;
    }
    selection_.MoveDraggedHandle(ScreenPosition(event));
    LayoutSelection(selection_.DraggedHandle());
    if (event.LeftUp()) {
        selection_.EndDrag();
        if (ScrollBox1->HasCapture()) {
            ScrollBox1->ReleaseMouse();
        }
    }
}

void TfrmSnapshot::Panel2CaptureLost() {
    selection_.EndDrag();
}

void TfrmSnapshot::Image1MouseMove(PixelPoint position) {
    Label1->SetLabel(wxString::Format("%d, %d", position.x, position.y));
}

wxTextCtrl* TfrmSnapshot::CornerField(int tag) const {
    switch (tag) {
        case 1:
            return LabeledEdit1;
        case 2:
            return LabeledEdit2;
        case 3:
            return LabeledEdit3;
        default:
            return LabeledEdit4;
    }
}

void TfrmSnapshot::LabeledEdit1KeyPress(wxKeyEvent& event, int tag) {
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        // The key is consumed: the field never sees it.
        ReportErrors([this, tag] { ApplyCornerField(tag); });
        return;
    }
    // Only digits can be typed; control keys (editing, clipboard, moving) keep working.
    const wxChar character = event.GetUnicodeKey();
    if (character == WXK_NONE || character < ' ' || character == WXK_DELETE ||
        (character >= '0' && character <= '9')) {
        event.Skip();
    }
}

void TfrmSnapshot::LabeledEdit1Exit(wxFocusEvent& event, int tag) {
    event.Skip();
    IgnoreErrors([this, tag] { ApplyCornerField(tag); });
}

void TfrmSnapshot::ApplyCornerField(int tag) {
    wxTextCtrl* field = CornerField(tag);
    // A blank field gets back the text it had before it was edited, which is what the last
    // layout wrote into it.
    const std::string typed = field->GetValue().utf8_string();
    const std::string text = TextToApply(typed, CornerText(selection_, tag));
    if (text != typed) {
        field->ChangeValue(wxString::FromUTF8(text));
    }
    ApplyTypedCorner(selection_, tag, text);
    LayoutSelection(Handle::None);
}

}  // namespace pagrovix
