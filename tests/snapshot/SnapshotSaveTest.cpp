// The toolbar commands of the real Snapshot window: each save runs with the file dialog answered
// by the test, and every written file is read back by libpng, libjpeg or from its raw bytes.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "snapshot/NumberField.h"
#include "snapshot/PictureView.h"
#include "snapshot/PreviewForm.h"
#include "snapshot/SaveForm.h"
#include "snapshot/SnapshotForm.h"
#include "tests/snapshot/SnapshotTestSupport.h"
#include "tests/support/GuiTest.h"
#include "ui/MessageRules.h"

extern char** environ;

namespace pagrovix {
namespace {

using namespace test;

// Selects (x0, y0) to (x1, y1) through the corner fields, as typing and Enter would.
void Select(TfrmSnapshot& form, int x0, int y0, int x1, int y1) {
    const int values[] = {x1, y1, x0, y0};
    wxTextCtrl* fields[] = {form.LabeledEdit3, form.LabeledEdit4, form.LabeledEdit1,
                            form.LabeledEdit2};
    for (int i = 0; i < 4; ++i) {
        fields[i]->ChangeValue(wxString::Format("%d", values[i]));
        wxKeyEvent enter(wxEVT_CHAR);
        enter.m_keyCode = WXK_RETURN;
        enter.SetEventObject(fields[i]);
        fields[i]->ProcessWindowEvent(enter);
    }
}

const ShownMessage* LastMessage(const MessageRecorder& messages) {
    return messages.shown.empty() ? nullptr : &messages.shown.back();
}

bool ControlsEnabled(const TfrmSnapshot& form) {
    return form.ToolButton1->IsEnabled() && form.ToolButton5->IsEnabled() &&
           form.LabeledEdit1->IsEnabled() && form.LabeledEdit4->IsEnabled() &&
           form.ScrollBox1->IsEnabled();
}

TEST(QuickSave, BmpHoldsTheSelectionPixelForPixel) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("shot")), wxString(folder.File("again.BMP"))};
    const Bitmap24 expected = PatternPicture(300, 200);
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        Select(form, 17, 9, 130, 77);
        Click(form.ToolButton3);
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].filter, "*.BMP|*.bmp");
        EXPECT_EQ(dialogs.requests[0].initialPath, "");
        const std::string written = folder.File("shot.bmp");
        ASSERT_NE(LastMessage(messages), nullptr);
        EXPECT_EQ(LastMessage(messages)->text, "OK.\r\n" + written);
        EXPECT_EQ(LastMessage(messages)->caption, "Information");
        EXPECT_EQ(LastMessage(messages)->flags, MessageFlags::IconInformation);
        const DecodedImage bmp = ReadBmpFile(written);
        EXPECT_EQ(bmp.width, 113);
        EXPECT_EQ(bmp.height, 68);
        EXPECT_TRUE(bmp.rgb == RgbOf(expected, 17, 9, 130, 77));

        // The dialog opens with the name chosen last; an upper-case extension is kept.
        Click(form.ToolButton3);
        ASSERT_EQ(dialogs.requests.size(), 2u);
        EXPECT_EQ(dialogs.requests[1].initialPath, folder.File("shot"));
        EXPECT_TRUE(std::filesystem::exists(folder.File("again.BMP")));
        EXPECT_FALSE(std::filesystem::exists(folder.File("again.BMP.bmp")));
        EXPECT_TRUE(ControlsEnabled(form));
    });
}

TEST(QuickSave, JpegIsWrittenWithQualityEighty) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("shot.png"))};
    const Bitmap24 expected = PatternPicture(64, 48);
    RunInSnapshotWindow(PatternPicture(64, 48), [&](TfrmSnapshot& form) {
        Click(form.ToolButton4);
        EXPECT_EQ(dialogs.requests.at(0).filter, "*.JPG|*.jpg");
        const std::string written = folder.File("shot.png.jpg");
        ASSERT_NE(LastMessage(messages), nullptr);
        EXPECT_EQ(LastMessage(messages)->text, "OK.\r\n" + written);
        int quantizer = 0;
        const DecodedImage jpeg = ReadJpegFile(written, &quantizer);
        EXPECT_EQ(jpeg.width, 64);
        EXPECT_EQ(jpeg.height, 48);
        EXPECT_EQ(quantizer, ExpectedLuminanceQuantizer(80));
        // Lossy, but close to the picture on average.
        const std::vector<std::uint8_t> original = RgbOf(expected, 0, 0, 64, 48);
        double difference = 0;
        for (std::size_t i = 0; i < original.size(); ++i) {
            difference += std::abs(int(original[i]) - int(jpeg.rgb[i]));
        }
        EXPECT_LT(difference / double(original.size()), 12.0);
    });
}

TEST(QuickSave, PngIsLosslessAtLevelNine) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("shot"))};
    const Bitmap24 expected = PatternPicture(300, 200);
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        Select(form, 288, 188, 300, 200);
        Click(form.ToolButton5);
        EXPECT_EQ(dialogs.requests.at(0).filter, "*.PNG|*.png");
        const std::string written = folder.File("shot.png");
        const DecodedImage png = ReadPngFile(written);
        EXPECT_EQ(png.width, 12);
        EXPECT_EQ(png.height, 12);
        EXPECT_TRUE(png.rgb == RgbOf(expected, 288, 188, 300, 200));
        EXPECT_EQ(PngLevelClass(written), 3);
        EXPECT_EQ(LastMessage(messages)->text, "OK.\r\n" + written);
    });
}

TEST(QuickSave, WholePictureIsSavedPixelForPixel) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("whole.png"))};
    const Bitmap24 expected = PatternPicture(1280, 700);
    RunInSnapshotWindow(PatternPicture(1280, 700), [&](TfrmSnapshot& form) {
        Click(form.ToolButton5);
        const DecodedImage png = ReadPngFile(folder.File("whole.png"));
        EXPECT_EQ(png.width, 1280);
        EXPECT_EQ(png.height, 700);
        EXPECT_TRUE(png.rgb == RgbOf(expected, 0, 0, 1280, 700));
        EXPECT_EQ(form.Crop().Width(), 1280);
    });
}

TEST(QuickSave, CancelledDialogDoesNothing) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {std::nullopt};
    RunInSnapshotWindow(PatternPicture(40, 40), [&](TfrmSnapshot& form) {
        Click(form.ToolButton5);
        EXPECT_EQ(dialogs.requests.size(), 1u);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(ControlsEnabled(form));
        EXPECT_TRUE(form.QuickSaveDialog().FileName().empty());
    });
}

TEST(QuickSave, AsksBeforeReplacingAFileWhoseNameTheExtensionChanged) {
    TempFolder folder;
    const std::string existing = folder.File("shot.png");
    std::ofstream(existing) << "keep me";
    MessageRecorder messages;
    messages.answers = {MessageResult::No, MessageResult::Yes};
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("shot")), wxString(folder.File("shot"))};
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        Click(form.ToolButton5);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].text.Contains(existing));
        EXPECT_EQ(messages.shown[0].flags, MessageFlags::YesNo | MessageFlags::IconQuestion);
        std::ifstream kept(existing);
        std::string content;
        std::getline(kept, content);
        EXPECT_EQ(content, "keep me");

        Click(form.ToolButton5);
        ASSERT_EQ(messages.shown.size(), 3u);
        EXPECT_EQ(messages.shown[2].text, "OK.\r\n" + existing);
        EXPECT_EQ(ReadPngFile(existing).width, 40);
    });
}

TEST(QuickSave, WriterFailureEndsTheBusyStateAndShowsItsText) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("missing/shot.bmp"))};
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        Click(form.ToolButton3);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].flags, MessageFlags::IconError);
        EXPECT_FALSE(messages.shown[0].text.StartsWith("OK."));
        EXPECT_TRUE(messages.shown[0].text.Contains("missing")) << messages.shown[0].text;
        EXPECT_TRUE(ControlsEnabled(form));
        EXPECT_FALSE(wxIsBusy());
    });
}

TEST(QuickSave, ControlsAreDisabledWhileTheFileIsWritten) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("shot"))};
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        // A timer that falls due while the dialog is answered fires at the first chance to
        // process events, which the command gives right after its busy state began.
        bool enabledDuringWrite = true;
        bool busyDuringWrite = false;
        bool fired = false;
        wxTimer probe;
        probe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            fired = true;
            enabledDuringWrite = ControlsEnabled(form);
            busyDuringWrite = wxIsBusy();
        });
        dialogs.onAnswer = [&] {
            probe.StartOnce(1);
            wxMilliSleep(20);
        };
        Click(form.ToolButton5);
        ASSERT_TRUE(fired);
        EXPECT_FALSE(enabledDuringWrite);
        EXPECT_TRUE(busyDuringWrite);
        EXPECT_TRUE(ControlsEnabled(form));
        EXPECT_FALSE(wxIsBusy());
        EXPECT_EQ(messages.shown.size(), 1u);
    });
}

TEST(Preview, ShowsTheSelectionAtFullSize) {
    const Bitmap24 expected = PatternPicture(300, 200);
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        Select(form, 30, 40, 90, 100);
        bool shown = false;
        WhenShown<TfrmPreview>([&](TfrmPreview& preview) {
            shown = true;
            EXPECT_EQ(preview.GetTitle(), "Preview");
            const Bitmap24* picture = preview.ScrollBox1->Picture();
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(picture->Width(), 60);
            EXPECT_EQ(picture->Height(), 60);
            EXPECT_EQ(picture->Row(0)[0], 30);  // blue = x of the picture
            EXPECT_EQ(picture->Row(0)[1], 40);  // green = y
            EXPECT_EQ(preview.GetRect(), wxDisplay(&preview).GetClientArea());
            EXPECT_TRUE(WaitUntil([&] { return preview.ScrollBox1->PaintCount() > 0; }));
            EXPECT_TRUE(ControlsEnabled(form));
            preview.Close();
        });
        Click(form.ToolButton1);
        EXPECT_TRUE(shown);
    });
}

// What a program that pastes gets: the clipboard read as PNG by another process.
DecodedImage Paste(const TempFolder& folder) {
    const std::string file = folder.File("pasted.png");
    posix_spawn_file_actions_t output;
    posix_spawn_file_actions_init(&output);
    posix_spawn_file_actions_addopen(&output, 1, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char program[] = "xclip";
    char selection[] = "-selection";
    char clipboard[] = "clipboard";
    char target[] = "-t";
    char png[] = "image/png";
    char out[] = "-o";
    char* arguments[] = {program, selection, clipboard, target, png, out, nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, program, &output, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&output);
    EXPECT_EQ(spawned, 0) << "xclip could not be started";
    if (spawned != 0) {
        return {};
    }
    // This process serves the request while the other one reads.
    int status = -1;
    EXPECT_TRUE(WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }));
    EXPECT_EQ(status, 0);
    return ReadPngFile(file);
}

void PressCopyKey() {
    wxUIActionSimulator().Char('c', wxMOD_CONTROL);
    ProcessEvents(std::chrono::milliseconds(100));
}

TEST(Copy, CtrlCCopiesTheSelectionForOtherProgramsAndChangesNothingElse) {
    TempFolder folder;
    MessageRecorder messages;
    const Bitmap24 expected = PatternPicture(300, 200);
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        Select(form, 17, 9, 130, 77);
        form.LabeledEdit2->SetFocus();
        ProcessEvents();
        PressCopyKey();
        EXPECT_EQ(form.LabeledEdit1->GetValue() + " " + form.LabeledEdit2->GetValue() + " " +
                      form.LabeledEdit3->GetValue() + " " + form.LabeledEdit4->GetValue(),
                  "17 9 130 77");
        EXPECT_EQ(wxWindow::FindFocus(), form.LabeledEdit2);
        EXPECT_TRUE(ControlsEnabled(form));
        EXPECT_FALSE(wxIsBusy());
    });
    EXPECT_TRUE(messages.shown.empty());
    // The window has closed; the clipboard still holds the selection, pixel for pixel.
    const DecodedImage pasted = Paste(folder);
    EXPECT_EQ(pasted.width, 113);
    EXPECT_EQ(pasted.height, 68);
    EXPECT_TRUE(pasted.rgb == RgbOf(expected, 17, 9, 130, 77));

    // In the Preview window Ctrl+C copies the picture it shows.
    RunInSnapshotWindow(PatternPicture(300, 200), [&](TfrmSnapshot& form) {
        Select(form, 40, 30, 52, 190);
        WhenShown<TfrmPreview>([&](TfrmPreview& preview) {
            ASSERT_TRUE(WaitUntil([&] { return preview.ScrollBox1->PaintCount() > 0; }));
            PressCopyKey();
            preview.Close();
        });
        Click(form.ToolButton1);
    });
    const DecodedImage previewed = Paste(folder);
    EXPECT_EQ(previewed.width, 12);
    EXPECT_EQ(previewed.height, 160);
    EXPECT_TRUE(previewed.rgb == RgbOf(expected, 40, 30, 52, 190));
}

// Drives the save-options dialog: steps run on it once it is shown.
void RunSaveAs(TfrmSnapshot& form, const std::function<void(TfrmSave&)>& steps) {
    bool shown = false;
    WhenShown<TfrmSave>([&](TfrmSave& dialog) {
        shown = true;
        ProcessEvents();
        steps(dialog);
    });
    Click(form.ToolButton2);
    EXPECT_TRUE(shown);
}

void ClickWithMouse(wxWindow* button) {
    wxUIActionSimulator mouse;
    mouse.MouseMove(button->GetScreenPosition() + button->GetSize() / 2);
    ProcessEvents();
    mouse.MouseClick();
    ProcessEvents(std::chrono::milliseconds(100));
}

void TypeIntoSpin(wxSpinCtrl* field, const std::string& text) {
    wxUIActionSimulator input;
    // The text part is at the left; the buttons are at the right.
    input.MouseMove(field->GetScreenPosition() + wxPoint(8, field->GetSize().y / 2));
    ProcessEvents();
    input.MouseClick();
    ASSERT_TRUE(WaitUntil([&] { return field->HasFocus(); }));
    ProcessEvents();
    field->SetSelection(-1, -1);
    if (text.empty()) {
        input.Char(WXK_DELETE);
    } else {
        input.Text(text.c_str());
    }
    ProcessEvents();
}

TEST(SaveAs, OpensWithPngLevelNineAndQualityEighty) {
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        RunSaveAs(form, [&](TfrmSave& dialog) {
            EXPECT_EQ(dialog.GetTitle(), "Save");
            EXPECT_EQ(dialog.GetClientSize(), wxSize(265, 129));
            EXPECT_TRUE(dialog.RadioButton2->GetValue());
            EXPECT_FALSE(dialog.SpinEdit1->IsEnabled());
            EXPECT_FALSE(dialog.Label1->IsEnabled());
            EXPECT_TRUE(dialog.SpinEdit2->IsEnabled());
            EXPECT_EQ(dialog.SpinEdit1->GetValue(), 80);
            EXPECT_EQ(dialog.SpinEdit2->GetValue(), 9);
            EXPECT_EQ(dialog.SpinEdit1->GetMax(), 100);
            EXPECT_EQ(dialog.SpinEdit2->GetMax(), 9);
            EXPECT_TRUE(WaitUntil([&] { return wxWindow::FindFocus() == dialog.Button1; }));
            ClickWithMouse(dialog.RadioButton1);
            EXPECT_TRUE(dialog.SpinEdit1->IsEnabled());
            EXPECT_TRUE(dialog.Label1->IsEnabled());
            EXPECT_FALSE(dialog.SpinEdit2->IsEnabled());
            EXPECT_FALSE(dialog.Label2->IsEnabled());
            // The value fields never show their text selected: not at opening, not on entry.
            EXPECT_FALSE(HasSelectedText(dialog.SpinEdit2));
            dialog.SpinEdit1->SetFocus();
            ProcessEvents();
            EXPECT_FALSE(HasSelectedText(dialog.SpinEdit1));
        });
    });
}

TEST(SaveAs, QualityAboveTheRangeIsClampedAndWrittenAsOneHundred) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("shot"))};
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        RunSaveAs(form, [&](TfrmSave& dialog) {
            ClickWithMouse(dialog.RadioButton1);
            TypeIntoSpin(dialog.SpinEdit1, "150");
            EXPECT_EQ(dialog.SpinEdit1->GetTextValue(), "150");
            ClickWithMouse(dialog.Button1);
            EXPECT_EQ(dialog.SpinEdit1->GetTextValue(), "100");
        });
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].filter, "*.JPG|*.jpg");
        EXPECT_EQ(dialogs.requests[0].initialPath, "");
        const std::string written = folder.File("shot.jpg");
        int quantizer = 0;
        EXPECT_EQ(ReadJpegFile(written, &quantizer).width, 40);
        EXPECT_EQ(quantizer, ExpectedLuminanceQuantizer(100));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "OK.\r\n" + written);
    });
}

TEST(SaveAs, QualityThatIsNoWholeNumberIsWrittenAsZero) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("fraction.jpg"))};
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        RunSaveAs(form, [&](TfrmSave& dialog) {
            ClickWithMouse(dialog.RadioButton1);
            TypeIntoSpin(dialog.SpinEdit1, "8.5");
            EXPECT_EQ(dialog.SpinEdit1->GetTextValue(), "8.5");
            ClickWithMouse(dialog.Button1);
        });
        int quantizer = 0;
        ReadJpegFile(folder.File("fraction.jpg"), &quantizer);
        EXPECT_EQ(quantizer, ExpectedLuminanceQuantizer(0));
    });
}

TEST(SaveAs, EmptiedLevelGetsItsValueBackAndPngIsWrittenAtIt) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("level.PNG"))};
    const Bitmap24 expected = PatternPicture(40, 30);
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        RunSaveAs(form, [&](TfrmSave& dialog) {
            TypeIntoSpin(dialog.SpinEdit2, "");
            EXPECT_EQ(dialog.SpinEdit2->GetTextValue(), "");
            ClickWithMouse(dialog.RadioButton2);  // leaves the field
            EXPECT_EQ(dialog.SpinEdit2->GetTextValue(), "9");
            TypeIntoSpin(dialog.SpinEdit2, "1");
            ClickWithMouse(dialog.Button1);
        });
        const std::string written = folder.File("level.PNG");
        EXPECT_TRUE(ReadPngFile(written).rgb == RgbOf(expected, 0, 0, 40, 30));
        EXPECT_EQ(PngLevelClass(written), 0);
        EXPECT_EQ(messages.shown.at(0).text, "OK.\r\n" + written);
    });
}

TEST(SaveAs, CancelledFileDialogKeepsTheDialogOpenWithItsSettings) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    dialogs.answers = {std::nullopt, wxString(folder.File("second"))};
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        RunSaveAs(form, [&](TfrmSave& dialog) {
            ClickWithMouse(dialog.RadioButton1);
            ClickWithMouse(dialog.Button1);
            EXPECT_TRUE(dialog.IsModal());
            EXPECT_TRUE(dialog.RadioButton1->GetValue());
            ClickWithMouse(dialog.Button1);
            EXPECT_FALSE(dialog.IsModal());
        });
        EXPECT_EQ(dialogs.requests.size(), 2u);
        EXPECT_TRUE(std::filesystem::exists(folder.File("second.jpg")));
    });
}

TEST(SaveAs, CancelWritesNothingAndSaysNothing) {
    TempFolder folder;
    MessageRecorder messages;
    SaveDialogAnswers dialogs;
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        RunSaveAs(form, [&](TfrmSave& dialog) { ClickWithMouse(dialog.Button2); });
        RunSaveAs(form, [&](TfrmSave& dialog) { dialog.Close(); });
        EXPECT_TRUE(dialogs.requests.empty());
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(ControlsEnabled(form));
    });
}

TEST(SaveAs, NoToReplacingKeepsTheFileAndTheDialogOpen) {
    TempFolder folder;
    const std::string existing = folder.File("shot.png");
    std::ofstream(existing) << "keep me";
    MessageRecorder messages;
    messages.answers = {MessageResult::No};
    SaveDialogAnswers dialogs;
    dialogs.answers = {wxString(folder.File("shot"))};
    RunInSnapshotWindow(PatternPicture(40, 30), [&](TfrmSnapshot& form) {
        RunSaveAs(form, [&](TfrmSave& dialog) {
            ClickWithMouse(dialog.Button1);
            EXPECT_TRUE(dialog.IsModal());
            ClickWithMouse(dialog.Button2);
        });
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].flags, MessageFlags::YesNo | MessageFlags::IconQuestion);
        EXPECT_EQ(std::filesystem::file_size(existing), 7u);
    });
}

}  // namespace
}  // namespace pagrovix
