#pragma once

#include <array>

#include <wx/dialog.h>

#include "imaging/Bitmap24.h"
#include "snapshot/SaveDialog.h"
#include "snapshot/SaveFormats.h"
#include "snapshot/Selection.h"

class wxButton;
class wxPanel;
class wxStaticText;
class wxTextCtrl;

namespace pagrovix {

class PictureView;

// Opens the Snapshot window on a page picture, which it keeps as its only copy, with the whole
// picture selected; returns when the user has closed the window. Errors in opening it reach the
// caller.
void ShowSnapshotWindow(wxWindow* parent, Bitmap24 picture);

// The Snapshot window: the picture at 1:1 with two handles that mark the selection, guide lines
// across the picture at the selection's edges, four corner fields, a position read-out and the
// toolbar commands that preview and save the selection; Ctrl+C copies it to the clipboard. The
// selection's handlers are in SnapshotSelection.cpp, the commands in SnapshotCommands.cpp.
//
// Image1, its panel Panel2 and the shapes are not windows of their own: ScrollBox1 draws the
// picture and draws the guide lines Shape2..Shape5 and the handles Shape6 (tag 1) and Shape7
// (tag 2) over it, clipped to the picture, and finds which of them the pointer is on.
class TfrmSnapshot : public wxDialog {
public:
    explicit TfrmSnapshot(wxWindow* parent);
    ~TfrmSnapshot() override;

    // Steps of opening on a capture: the picture, the handles and lines around the whole of it,
    // then the lines hidden until the window is first active.
    void SetPicture(Bitmap24 picture);
    void PlaceWholePictureSelection();
    void HideGuideLines();

    const Bitmap24& Picture() const { return Image1Picture; }
    const Selection& CurrentSelection() const { return selection_; }
    const Bitmap24& Crop() const { return CropBitmap; }
    bool GuideLinesVisible() const { return guideLinesVisible_; }
    const SaveDialog& QuickSaveDialog() const { return SaveDialog1; }

    wxPanel* CoolBar1 = nullptr;         // the band across the top that holds the tool bar
    wxPanel* Panel1 = nullptr;           // the tool bar's row inside that band
    wxPanel* ToolBar1 = nullptr;         // the tool bar with the five commands
    wxButton* ToolButton1 = nullptr;     // "Preview..."
    wxButton* ToolButton2 = nullptr;     // "Save As..."
    wxButton* ToolButton3 = nullptr;     // "Save As BMP"
    wxButton* ToolButton4 = nullptr;     // "Save As JPG"
    wxButton* ToolButton5 = nullptr;     // "Save As PNG"
    PictureView* ScrollBox1 = nullptr;   // the picture at 1:1 with the selection drawn on it
    wxPanel* Panel3 = nullptr;           // the bottom strip with the corner fields
    wxTextCtrl* LabeledEdit1 = nullptr;  // the selection's X0
    wxTextCtrl* LabeledEdit2 = nullptr;  // the selection's Y0
    wxTextCtrl* LabeledEdit3 = nullptr;  // the selection's X1 (exclusive)
    wxTextCtrl* LabeledEdit4 = nullptr;  // the selection's Y1 (exclusive)
    wxStaticText* Label1 = nullptr;      // the selection's size, on the right of the strip

private:
    friend class CommandBusyState;

    // Creation and layout.
    void FormCreate();
    void CreateToolbar();
    void CreateStatusPanel();
    void CoolBar1Paint(wxPaintEvent& event);
    void FormResize(wxSizeEvent& event);
    void FormActivate();

    // Selection (SnapshotSelection.cpp).
    void LayoutSelection(Handle active);
    void RefreshShapes();
    std::array<PixelRect, 6> ShapeBounds() const;
    void DrawShapes(wxDC& dc) const;
    Handle HandleAt(PixelPoint position) const;
    bool OnGuideLine(PixelPoint position) const;
    void Shape6MouseDown(wxMouseEvent& event);
    void Panel2MouseMove(wxMouseEvent& event);
    void Panel2MouseUp(wxMouseEvent& event);
    void Panel2CaptureLost();
    void Image1MouseMove(PixelPoint position);
    void LabeledEdit1KeyPress(wxKeyEvent& event, int tag);
    void LabeledEdit1Exit(wxFocusEvent& event, int tag);
    void ApplyCornerField(int tag);
    wxTextCtrl* CornerField(int tag) const;
    PixelPoint ScreenPosition(const wxMouseEvent& event) const;

    // Commands (SnapshotCommands.cpp).
    void ToolButton1Click();
    void ToolButton2Click();
    void QuickSave(const QuickSaveFormat& format);
    void CopySelection();
    void SetControlsEnabled(bool enabled);
    void CropSelection();

    Bitmap24 Image1Picture;
    Selection selection_{0, 0};
    // Where the shapes were last drawn, to repaint just what a change of the selection moves.
    std::array<PixelRect, 6> shownShapes_{};
    bool guideLinesVisible_ = true;
    Bitmap24 CropBitmap;
    SaveDialog SaveDialog1{this};  // the quick saves' file dialog, which keeps its last name
};

}  // namespace pagrovix
