#include "snapshot/SnapshotForm.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "snapshot/CommandErrors.h"
#include "snapshot/FormLook.h"
#include "snapshot/FormPlacement.h"
#include "snapshot/PictureClipboard.h"
#include "snapshot/PictureView.h"
#include "snapshot/ToolbarImages.h"
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
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { CloseForm(this); });

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

    // Ctrl+C copies the selection wherever the focus is; not while a command works.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (!IsCopyKey(event)) {
            event.Skip();
        } else if (ToolButton1->IsEnabled()) {
            ReportErrors([this] { CopySelection(); });
        }
    });
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
        // Five digits must fit in 38 px: the theme's padding would leave room for three.
        StyleControl(field, "entry { min-height: 0; min-width: 0; padding: 0 2px; }");
        KeepTextUnselectedOnEntry(field);
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

}  // namespace pagrovix
