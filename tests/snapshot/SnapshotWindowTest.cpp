// The real Snapshot window on a picture: opening, drawing, dragging handles with the mouse,
// typing corners, the position read-out and the wheel.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "snapshot/PictureView.h"
#include "snapshot/PreviewForm.h"
#include "snapshot/SnapshotForm.h"
#include "tests/snapshot/SnapshotTestSupport.h"
#include "tests/support/GuiTest.h"
#include "tests/support/WindowManager.h"
#include "ui/MessageRules.h"

namespace pagrovix {
namespace {

using namespace test;

wxString Fields(const TfrmSnapshot& form) {
    return form.LabeledEdit1->GetValue() + " " + form.LabeledEdit2->GetValue() + " " +
           form.LabeledEdit3->GetValue() + " " + form.LabeledEdit4->GetValue();
}

// The screen position of a point of the picture.
wxPoint OnScreen(const TfrmSnapshot& form, int x, int y) {
    return form.ScrollBox1->ClientToScreen(form.ScrollBox1->CalcScrolledPosition(wxPoint(x, y)));
}

void Drag(const wxPoint& from, const std::vector<wxPoint>& moves) {
    wxUIActionSimulator mouse;
    mouse.MouseMove(from);
    ProcessEvents();
    mouse.MouseDown();
    ProcessEvents();
    for (const wxPoint& to : moves) {
        mouse.MouseMove(to);
        ProcessEvents();
    }
}

void Release() {
    wxUIActionSimulator mouse;
    mouse.MouseUp();
    ProcessEvents();
}

// Reads a pixel of the screen as R, G, B.
wxColour ScreenPixel(const wxPoint& at) {
    unsigned char red = 0, green = 0, blue = 0;
    EXPECT_TRUE(ReadScreenPixel(at.x, at.y, &red, &green, &blue));
    return wxColour(red, green, blue);
}

void TypeInto(wxTextCtrl* field, const std::string& text) {
    wxUIActionSimulator input;
    input.MouseMove(field->ClientToScreen(wxPoint(10, 10)));
    input.MouseClick();
    ASSERT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == field; }));
    ProcessEvents();
    field->SelectAll();
    if (text.empty()) {
        input.Char(WXK_DELETE);
    } else {
        input.Text(text.c_str());
    }
    ProcessEvents();
}

void PressEnter() {
    wxUIActionSimulator input;
    input.Char(WXK_RETURN);
    ProcessEvents();
}

TEST(SnapshotWindow, OpensOnTheOnlyCopyWithTheWholePictureSelected) {
    Bitmap24 picture = PatternPicture(300, 200);
    const std::uint8_t* pixels = picture.Data();
    // The caller's busy cursor gives way to the normal one while the window is open.
    wxBeginBusyCursor();
    RunInSnapshotWindow(std::move(picture), [&](TfrmSnapshot& form) {
        EXPECT_FALSE(wxIsBusy());
        EXPECT_EQ(form.Picture().Data(), pixels);
        EXPECT_EQ(form.GetTitle(), "Snapshot");
        EXPECT_TRUE(WaitUntil([&] { return Fields(form) == "0 0 300 200"; })) << Fields(form);
        EXPECT_EQ(form.Label1->GetLabel(), "0, 0");
        EXPECT_EQ(form.Label1->GetRect().GetRight() + 1, form.Panel3->GetClientSize().x - 12);
        EXPECT_TRUE(form.GuideLinesVisible());
        EXPECT_EQ(form.ToolButton1->GetLabel(), "Preview...");
        EXPECT_EQ(form.ToolButton5->GetLabel(), "Save As PNG");
        EXPECT_EQ(form.ToolButton3->GetSize(), wxSize(89, 22));
        // The window covers the work area (no window manager here: no frame around it).
        const wxRect work = wxDisplay(&form).GetClientArea();
        EXPECT_EQ(form.GetRect(), work);
        EXPECT_FALSE(form.HasFlag(wxRESIZE_BORDER));

        // A press on the scroll area's background beside the picture gives it the focus.
        form.LabeledEdit2->SetFocus();
        wxUIActionSimulator mouse;
        mouse.MouseMove(OnScreen(form, 500, 100));
        mouse.MouseClick();
        EXPECT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == form.ScrollBox1; }));
    });
    EXPECT_TRUE(wxIsBusy());
    wxEndBusyCursor();
}

TEST(SnapshotWindow, DrawsThePictureAtFullSizeWithRedHandles) {
    RunInSnapshotWindow(PatternPicture(400, 3000), [&](TfrmSnapshot& form) {
        form.ScrollBox1->Update();
        ProcessEvents(std::chrono::milliseconds(200));
        EXPECT_EQ(ScreenPixel(OnScreen(form, 50, 40)), wxColour(50 ^ 40, 40, 50));
        EXPECT_EQ(ScreenPixel(OnScreen(form, 2, 3)), *wxRED);
        EXPECT_EQ(ScreenPixel(OnScreen(form, 6, 6)), wxColour(6 ^ 6, 6, 6));

        // Far down the picture, after scrolling, the rows drawn are the rows in view.
        form.ScrollBox1->Scroll(0, 2000 / PictureView::kLineStep);
        form.ScrollBox1->Update();
        ProcessEvents(std::chrono::milliseconds(200));
        const int y = 2100;
        EXPECT_EQ(ScreenPixel(OnScreen(form, 77, y)), wxColour((77 ^ y) & 255, y & 255, 77));
    });
}

TEST(SnapshotWindow, DraggingTheTopLeftHandleFollowsTheMouseAndStopsAtLimits) {
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        const wxPoint start = OnScreen(form, 3, 3);
        Drag(start, {start + wxPoint(20, 10), start + wxPoint(40, 30)});
        EXPECT_EQ(form.CurrentSelection().DraggedHandle(), Handle::TopLeft);
        Release();
        EXPECT_EQ(form.CurrentSelection().DraggedHandle(), Handle::None);
        EXPECT_EQ(Fields(form), "40 30 300 200");
        EXPECT_TRUE(form.GuideLinesVisible());
        // The guide lines lie 2 px outside the selection, across the whole picture.
        EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(OnScreen(form, 41, 31)) == *wxRED; },
                              std::chrono::seconds(3)));
        EXPECT_EQ(ScreenPixel(OnScreen(form, 200, 28)), *wxBLACK);
        EXPECT_EQ(ScreenPixel(OnScreen(form, 5, 29)), *wxBLACK);
        EXPECT_EQ(ScreenPixel(OnScreen(form, 38, 150)), *wxBLACK);
        EXPECT_EQ(ScreenPixel(OnScreen(form, 200, 30)), wxColour(200 ^ 30, 30, 200));
        EXPECT_EQ(ScreenPixel(OnScreen(form, 41, 31)), *wxRED);
        EXPECT_EQ(ScreenPixel(OnScreen(form, 20, 20)), wxColour(20 ^ 20, 20, 20));

        // Past the other handle it keeps 12 px from it, though the pointer goes on; moving
        // back brings it back at once.
        const wxPoint handle = OnScreen(form, 43, 33);
        Drag(handle, {handle + wxPoint(400, 300)});
        EXPECT_EQ(Fields(form), "288 188 300 200");
        wxUIActionSimulator().MouseMove(handle + wxPoint(395, 290));
        ProcessEvents();
        Release();
        EXPECT_EQ(Fields(form), "283 178 300 200");
        // Up and left past the picture's edges it stops at them (the window is at the
        // screen's corner, so the pointer can go no further than the edges).
        const wxPoint moved = OnScreen(form, 286, 181);
        Drag(moved, {moved - wxPoint(400, 400)});
        Release();
        EXPECT_EQ(Fields(form), "0 0 300 200");
    });
}

TEST(SnapshotWindow, DraggingTheBottomRightHandleKeepsItInsideAndAfterTheOther) {
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        const wxPoint handle = OnScreen(form, 296, 196);
        Drag(handle, {handle - wxPoint(50, 20)});
        EXPECT_EQ(Fields(form), "0 0 250 180");
        wxUIActionSimulator().MouseMove(handle + wxPoint(200, 200));
        ProcessEvents();
        EXPECT_EQ(Fields(form), "0 0 300 200");
        wxUIActionSimulator().MouseMove(handle - wxPoint(1000, 1000));
        ProcessEvents();
        Release();
        EXPECT_EQ(Fields(form), "0 0 12 12");
    });
}

TEST(SnapshotWindow, RightButtonOnAHandleStartsNoDrag) {
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        wxUIActionSimulator mouse;
        mouse.MouseMove(OnScreen(form, 3, 3));
        ProcessEvents();
        mouse.MouseDown(wxMOUSE_BTN_RIGHT);
        ProcessEvents();
        mouse.MouseMove(OnScreen(form, 60, 60));
        ProcessEvents();
        mouse.MouseUp(wxMOUSE_BTN_RIGHT);
        ProcessEvents();
        EXPECT_EQ(form.CurrentSelection().DraggedHandle(), Handle::None);
        EXPECT_EQ(Fields(form), "0 0 300 200");
    });
}

TEST(SnapshotWindow, PositionReadoutFollowsThePointerOverThePictureOnly) {
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        wxUIActionSimulator mouse;
        mouse.MouseMove(OnScreen(form, 120, 45));
        ASSERT_TRUE(WaitUntil([&] { return form.Label1->GetLabel() == "120, 45"; }))
            << form.Label1->GetLabel();
        const int right = form.Label1->GetRect().GetRight();
        EXPECT_FALSE(form.ScrollBox1->GetCursor().IsOk());
        mouse.MouseMove(OnScreen(form, 2, 2));  // over a handle
        ProcessEvents();
        EXPECT_EQ(form.Label1->GetLabel(), "120, 45");
        EXPECT_TRUE(form.ScrollBox1->GetCursor().IsOk());  // the hand
        mouse.MouseMove(OnScreen(form, 7, 9));
        ASSERT_TRUE(WaitUntil([&] { return form.Label1->GetLabel() == "7, 9"; }));
        EXPECT_EQ(form.Label1->GetRect().GetRight(), right);
    });
}

TEST(SnapshotWindow, TypedCornersAreClampedAndShownInAllFields) {
    MessageRecorder messages;
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        TypeInto(form.LabeledEdit3, "99999");
        PressEnter();
        EXPECT_EQ(Fields(form), "0 0 300 200");
        TypeInto(form.LabeledEdit3, "5");
        PressEnter();
        EXPECT_EQ(Fields(form), "0 0 12 200");
        TypeInto(form.LabeledEdit2, "190");
        PressEnter();
        EXPECT_EQ(Fields(form), "0 188 12 200");
        // Letters cannot be typed into a corner field.
        TypeInto(form.LabeledEdit4, "1x5");
        EXPECT_EQ(form.LabeledEdit4->GetValue(), "15");
        // A blank field gets its previous value back.
        TypeInto(form.LabeledEdit4, "");
        EXPECT_EQ(form.LabeledEdit4->GetValue(), "");
        PressEnter();
        EXPECT_EQ(Fields(form), "0 188 12 200");
        EXPECT_TRUE(messages.shown.empty());
    });
}

// Whether the text drawn in a field fits the room its frame and padding leave, so no digit is cut.
bool TextFitsField(wxTextCtrl* field) {
    GtkEntry* entry = GTK_ENTRY(field->GetHandle());
    int textWidth = 0;
    pango_layout_get_pixel_size(gtk_entry_get_layout(entry), &textWidth, nullptr);
    GdkRectangle room;
    gtk_entry_get_text_area(entry, &room);
    return textWidth > 0 && textWidth <= room.width;
}

TEST(SnapshotWindow, CornerFieldsShowFiveDigitsWholeAndUnselected) {
    RunInSnapshotWindow(PatternPicture(18888, 12), [&](TfrmSnapshot& form) {
        ASSERT_TRUE(WaitUntil([&] { return Fields(form) == "0 0 18888 12"; })) << Fields(form);
        for (wxTextCtrl* field :
             {form.LabeledEdit1, form.LabeledEdit2, form.LabeledEdit3, form.LabeledEdit4}) {
            if (field != form.LabeledEdit3) {
                field->ChangeValue("88888");
            }
            field->SetFocus();
            ProcessEvents();
            EXPECT_EQ(field->GetSize(), wxSize(38, 21));
            EXPECT_TRUE(TextFitsField(field)) << field->GetValue();
            EXPECT_FALSE(HasSelectedText(field)) << field->GetValue();
        }
    });
}

TEST(SnapshotWindow, NumberTooLargeIsReportedOnEnterAndSilentOnLeaving) {
    MessageRecorder messages;
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        TypeInto(form.LabeledEdit3, "99999999999");
        PressEnter();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "'99999999999' is not a valid integer value.");
        EXPECT_EQ(messages.shown[0].flags, MessageFlags::IconError);
        EXPECT_EQ(form.LabeledEdit3->GetValue(), "99999999999");
        EXPECT_EQ(form.CurrentSelection().Rect().x1, 300);

        // Leaving the field with the same text says nothing and changes nothing.
        TypeInto(form.LabeledEdit1, "7");
        EXPECT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(form.CurrentSelection().Rect().x1, 300);
    });
}

TEST(SnapshotWindow, TypedValueAppliesBeforeAHandleIsDragged) {
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        TypeInto(form.LabeledEdit1, "100");
        const wxPoint handle = OnScreen(form, 296, 196);
        Drag(handle, {handle - wxPoint(10, 0)});
        Release();
        EXPECT_EQ(Fields(form), "100 0 290 200");
    });
}

void Wheel(int button) {
    ASSERT_TRUE(TurnWheel(button));
}

TEST(SnapshotWindow, EachWheelEventScrollsOneLineOfEightPixels) {
    RunInSnapshotWindow(PatternPicture(300, 4000), [&](TfrmSnapshot& form) {
        wxUIActionSimulator().MouseMove(OnScreen(form, 150, 100));
        ProcessEvents();
        auto top = [&] { return form.ScrollBox1->CalcUnscrolledPosition(wxPoint(0, 0)).y; };
        Wheel(5);
        ASSERT_TRUE(WaitUntil([&] { return top() == 8; })) << top();
        Wheel(5);
        ASSERT_TRUE(WaitUntil([&] { return top() == 16; })) << top();
        Wheel(4);
        ASSERT_TRUE(WaitUntil([&] { return top() == 8; })) << top();
        ProcessEvents(std::chrono::milliseconds(100));
        EXPECT_EQ(top(), 8);
        Wheel(6);  // horizontal wheel: no scrolling
        ProcessEvents(std::chrono::milliseconds(100));
        EXPECT_EQ(form.ScrollBox1->CalcUnscrolledPosition(wxPoint(0, 0)).x, 0);
    });
}

TEST(SnapshotWindow, EscapeDoesNotCloseItTheCloseBoxDoes) {
    bool stillOpen = false;
    WhenShown<TfrmSnapshot>([&](TfrmSnapshot& form) {
        wxUIActionSimulator keys;
        form.ScrollBox1->SetFocus();
        keys.Char(WXK_ESCAPE);
        ProcessEvents(std::chrono::milliseconds(100));
        stillOpen = form.IsModal();
        form.Close();
    });
    ShowSnapshotWindow(nullptr, PatternPicture(50, 50));
    EXPECT_TRUE(stillOpen);
}

TEST(SnapshotWindow, IdleWindowDoesNotRepaint) {
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        ProcessEvents(std::chrono::milliseconds(300));
        const auto before = form.ScrollBox1->PaintCount();
        ProcessEvents(std::chrono::milliseconds(500));
        EXPECT_EQ(form.ScrollBox1->PaintCount(), before);
    });
}

TEST(SnapshotWindow, OpensOnPicturesNarrowerThanTheHandles) {
    RunInSnapshotWindow(PatternPicture(5, 3),
                        [&](TfrmSnapshot& form) { EXPECT_EQ(Fields(form), "0 0 5 3"); });
}

TEST(SnapshotWindow, WindowsCoverTheWorkAreaWithTheFrameJustOutsideUnderAWindowManager) {
    WindowManager manager;
    // openbox: borders of 1 px, so the frame reaches 1 px past the work area on every side.
    auto covers = [](wxWindow& window) {
        const wxRect work = wxDisplay(&window).GetClientArea();
        const wxRect expected(work.x - 1, work.y - 1, work.width + 2, work.height + 2);
        EXPECT_TRUE(
            WaitUntil([&] { return FrameOnScreen(window) == expected; }, std::chrono::seconds(5)))
            << FrameOnScreen(window).x << "," << FrameOnScreen(window).y << " "
            << FrameOnScreen(window).width << "x" << FrameOnScreen(window).height;
    };
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        covers(form);
        bool previewed = false;
        WhenShown<TfrmPreview>([&](TfrmPreview& preview) {
            previewed = true;
            covers(preview);
            preview.Close();
        });
        Click(form.ToolButton1);
        EXPECT_TRUE(previewed);
    });
}

}  // namespace
}  // namespace pagrovix
