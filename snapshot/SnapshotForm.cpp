#include "snapshot/SnapshotForm.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "snapshot/CornerInput.h"
#include "snapshot/FormStyle.h"
#include "snapshot/PictureView.h"
#include "snapshot/WindowGeometry.h"

namespace pagrovix {
namespace {

constexpr int kToolButtonWidth = 89;
constexpr int kToolButtonHeight = 22;
constexpr int kFieldWidth = 38;
constexpr int kFieldHeight = 21;
constexpr int kReadoutWidth = 120;
const wxColour kMaroon(0x80, 0x00, 0x00);

// While the window is open the normal cursor shows, whatever busy state its caller is in; the
// caller's busy state is back when the window has closed.
class NormalCursorWhileOpen {
public:
    NormalCursorWhileOpen() {
        while (wxIsBusy()) {
            wxEndBusyCursor();
            ++depth_;
        }
    }
    ~NormalCursorWhileOpen() {
        for (int i = 0; i < depth_; ++i) {
            wxBeginBusyCursor();
        }
    }
    NormalCursorWhileOpen(const NormalCursorWhileOpen&) = delete;
    NormalCursorWhileOpen& operator=(const NormalCursorWhileOpen&) = delete;

private:
    int depth_ = 0;
};

wxRect ToWx(const PixelRect& r) {
    return {r.left, r.top, r.width, r.height};
}

}  // namespace

void ShowSnapshotWindow(wxWindow* parent, Bitmap24 picture) {
    NormalCursorWhileOpen normalCursor;
    TfrmSnapshot window(parent);
    window.SetPicture(std::move(picture));
    window.PlaceWholePictureSelection();
    window.HideGuideLines();
    window.ShowModal();
}

TfrmSnapshot::TfrmSnapshot(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Snapshot", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    FormCreate();
}

TfrmSnapshot::~TfrmSnapshot() {
    // The controls' handlers use this window's members: the controls go first.
    DestroyChildren();
}

void TfrmSnapshot::FormCreate() {
    SetFont(FormFont());
    // Only the close box, the system menu and the system's close key close the window.
    SetEscapeId(wxID_NONE);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { EndModal(wxID_CANCEL); });

    ApplyCoverWorkArea(this);

    const wxSize client = GetClientSize();
    const SnapshotLayout layout = LayOutSnapshotWindow(client.x, client.y);
    CoolBar1 = new wxPanel(this, wxID_ANY, wxPoint(layout.toolbar.left, layout.toolbar.top),
                           wxSize(layout.toolbar.width, layout.toolbar.height), wxBORDER_NONE);
    CoolBar1->Bind(wxEVT_PAINT, &TfrmSnapshot::CoolBar1Paint, this);
    CreateToolbar();

    ScrollBox1 = new PictureView(this, wxPoint(layout.scrollArea.left, layout.scrollArea.top),
                                 wxSize(layout.scrollArea.width, layout.scrollArea.height));
    ScrollBox1->SetOverlay([this](wxDC& dc) { DrawShapes(dc); });
    ScrollBox1->Bind(wxEVT_LEFT_DOWN, &TfrmSnapshot::Shape6MouseDown, this);
    ScrollBox1->Bind(wxEVT_RIGHT_DOWN, &TfrmSnapshot::Shape6MouseDown, this);
    ScrollBox1->Bind(wxEVT_MIDDLE_DOWN, &TfrmSnapshot::Shape6MouseDown, this);
    ScrollBox1->Bind(wxEVT_MOTION, &TfrmSnapshot::Panel2MouseMove, this);
    ScrollBox1->Bind(wxEVT_LEFT_UP, &TfrmSnapshot::Panel2MouseUp, this);
    ScrollBox1->Bind(wxEVT_RIGHT_UP, &TfrmSnapshot::Panel2MouseUp, this);
    ScrollBox1->Bind(wxEVT_MIDDLE_UP, &TfrmSnapshot::Panel2MouseUp, this);
    ScrollBox1->Bind(wxEVT_MOUSE_CAPTURE_LOST,
                     [this](wxMouseCaptureLostEvent&) { Panel2CaptureLost(); });

    Panel3 = new wxPanel(this, wxID_ANY, wxPoint(layout.status.left, layout.status.top),
                         wxSize(layout.status.width, layout.status.height), wxBORDER_NONE);
    Panel3->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    CreateStatusPanel();

    Bind(wxEVT_SIZE, &TfrmSnapshot::FormResize, this);
    Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) {
        FormActivate();
        event.Skip();
    });
    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
        if (event.GetActive()) {
            FormActivate();
        }
        event.Skip();
    });
}

void TfrmSnapshot::CreateToolbar() {
    Panel1 = new wxPanel(CoolBar1, wxID_ANY, wxPoint(0, 2),
                         wxSize(CoolBar1->GetClientSize().x, kToolButtonHeight), wxBORDER_NONE);
    ToolBar1 = new wxPanel(Panel1, wxID_ANY, wxPoint(0, 0),
                           wxSize(5 * kToolButtonWidth, kToolButtonHeight), wxBORDER_NONE);
    const wxBitmap previewImage = PreviewImage();
    const wxBitmap saveImage = SaveImage();
    auto makeButton = [&](int index, const char* caption, const wxBitmap& image) {
        auto* button =
            new wxButton(ToolBar1, wxID_ANY, caption, wxPoint(index * kToolButtonWidth, 0),
                         wxSize(kToolButtonWidth, kToolButtonHeight), wxBORDER_NONE);
        button->SetBitmap(image, wxLEFT);
        return button;
    };
    ToolButton1 = makeButton(0, "Preview...", previewImage);
    ToolButton2 = makeButton(1, "Save As...", saveImage);
    ToolButton3 = makeButton(2, "Save As BMP", saveImage);
    ToolButton4 = makeButton(3, "Save As JPG", saveImage);
    ToolButton5 = makeButton(4, "Save As PNG", saveImage);
    ToolButton1->Bind(wxEVT_BUTTON,
                      [this](wxCommandEvent&) { ReportErrors([this] { ToolButton1Click(); }); });
    ToolButton2->Bind(wxEVT_BUTTON,
                      [this](wxCommandEvent&) { ReportErrors([this] { ToolButton2Click(); }); });
    ToolButton3->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        ReportErrors([this] { QuickSave(kQuickSaveBmp); });
    });
    ToolButton4->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        ReportErrors([this] { QuickSave(kQuickSaveJpeg); });
    });
    ToolButton5->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        ReportErrors([this] { QuickSave(kQuickSavePng); });
    });
}

void TfrmSnapshot::CreateStatusPanel() {
    static const char* const captions[] = {"X0:", "Y0:", "X1:", "Y1:"};
    static const int lefts[] = {24, 89, 154, 219};
    wxTextCtrl** fields[] = {&LabeledEdit1, &LabeledEdit2, &LabeledEdit3, &LabeledEdit4};
    for (int i = 0; i < 4; ++i) {
        const int tag = i + 1;
        auto* field = new wxTextCtrl(Panel3, wxID_ANY, "0", wxPoint(lefts[i], 3),
                                     wxSize(kFieldWidth, kFieldHeight), wxTE_PROCESS_ENTER);
        field->DisableFocusFromKeyboard();
        field->Bind(wxEVT_CHAR,
                    [this, tag](wxKeyEvent& event) { LabeledEdit1KeyPress(event, tag); });
        field->Bind(wxEVT_KILL_FOCUS,
                    [this, tag](wxFocusEvent& event) { LabeledEdit1Exit(event, tag); });
        *fields[i] = field;

        auto* caption = new wxStaticText(Panel3, wxID_ANY, captions[i]);
        const wxSize size = caption->GetBestSize();
        caption->SetPosition(wxPoint(lefts[i] - 3 - size.x, 3 + (kFieldHeight - size.y) / 2));
    }

    Label1 = new wxStaticText(Panel3, wxID_ANY, "", wxPoint(0, 7), wxSize(kReadoutWidth, -1),
                              wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
    Label1->SetForegroundColour(kMaroon);
    // Placed once: right-aligned text keeps its right edge when it changes.
    Label1->SetPosition(wxPoint(ReadoutLeft(Panel3->GetClientSize().x, kReadoutWidth), 7));
    Label1->SetLabel("0, 0");
}

void TfrmSnapshot::CoolBar1Paint(wxPaintEvent&) {
    wxPaintDC dc(CoolBar1);
    const wxSize size = CoolBar1->GetClientSize();
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW)));
    dc.DrawLine(0, 0, size.x, 0);
    dc.DrawLine(0, size.y - 2, size.x, size.y - 2);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DHIGHLIGHT)));
    dc.DrawLine(0, 1, size.x, 1);
    dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
}

void TfrmSnapshot::FormResize(wxSizeEvent& event) {
    if (ScrollBox1) {
        const wxSize client = GetClientSize();
        const SnapshotLayout layout = LayOutSnapshotWindow(client.x, client.y);
        CoolBar1->SetSize(ToWx(layout.toolbar));
        Panel1->SetSize(layout.toolbar.width, kToolButtonHeight);
        ScrollBox1->SetSize(ToWx(layout.scrollArea));
        Panel3->SetSize(ToWx(layout.status));
        CoolBar1->Refresh();
    }
    event.Skip();
}

void TfrmSnapshot::FormActivate() {
    IgnoreErrors([this] {
        ScrollBox1->Refresh();
        guideLinesVisible_ = true;
        LayoutSelection(Handle::None);
    });
}

void TfrmSnapshot::SetPicture(Bitmap24 picture) {
    Image1Picture = std::move(picture);
    ScrollBox1->SetPicture(&Image1Picture);
}

void TfrmSnapshot::PlaceWholePictureSelection() {
    selection_ = Selection(Image1Picture.Width(), Image1Picture.Height());
    shownShapes_ = ShapeBounds();
    ScrollBox1->Refresh();
}

void TfrmSnapshot::HideGuideLines() {
    guideLinesVisible_ = false;
    ScrollBox1->Refresh();
}

// ---- Selection ---------------------------------------------------------------------------------

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
