#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <wx/colour.h>
#include <wx/dialog.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include "imaging/Bitmap24.h"
#include "tests/snapshot/PatternPicture.h"

class wxWindow;

namespace pagrovix {
class TfrmSnapshot;
}

// Readable failure messages for wx values.
inline void PrintTo(const wxString& text, std::ostream* out) {
    *out << '"' << text.utf8_string() << '"';
}
inline void PrintTo(const wxColour& colour, std::ostream* out) {
    *out << colour.GetAsString(wxC2S_CSS_SYNTAX).utf8_string();
}

namespace pagrovix::test {

// Runs action on the next shown modal dialog of type Dialog other than the ones already open
// (a Snapshot window that opens a Save dialog is itself still modal); the dialog is ended
// afterwards if action left it open, so a failed assertion cannot hang a test.
void WhenDialogShown(const std::function<bool(wxDialog*)>& isWanted,
                     std::function<void(wxDialog&)> action);
template <class Dialog>
void WhenShown(std::function<void(Dialog&)> action) {
    WhenDialogShown(
        [](wxDialog* d) { return dynamic_cast<Dialog*>(d) != nullptr; },
        [action = std::move(action)](wxDialog& d) { action(dynamic_cast<Dialog&>(d)); });
}

// Presses and releases a mouse button of the X server where the pointer is: 4 and 5 turn the
// wheel up and down, 6 and 7 sideways. Returns false without an X display.
bool TurnWheel(int button);

// Reads a pixel of the X server's screen (24-bit true colour) as the server has it now.
bool ReadScreenPixel(int x, int y, unsigned char* red, unsigned char* green, unsigned char* blue);

// The frame of a shown window as the X server and the window manager have it: the client area's
// place on the screen grown by the frame extents the manager announced. Empty until it has them.
wxRect FrameOnScreen(wxWindow& window);

// Opens the real Snapshot window on picture and runs steps once it has been painted; the
// window is closed afterwards.
void RunInSnapshotWindow(Bitmap24 picture, const std::function<void(TfrmSnapshot&)>& steps);

// Whether a text or spin field shows some of its text selected.
bool HasSelectedText(wxWindow* field);

// Sends a click to a button as the toolkit would, and processes what follows.
void Click(wxWindow* button);

// Answers the program's message boxes and records them.
struct ShownMessage {
    wxString text;
    wxString caption;
    long flags;
};
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    // Answers given in turn; when none is left a box is answered with OK.
    std::deque<int> answers;
    std::vector<ShownMessage> shown;
};

// Answers the program's save-file dialogs with the given paths (nothing = cancelled) and records
// what each dialog was opened with.
struct SaveRequest {
    wxString filter;
    wxString initialPath;
};
class SaveDialogAnswers {
public:
    SaveDialogAnswers();
    ~SaveDialogAnswers();
    SaveDialogAnswers(const SaveDialogAnswers&) = delete;
    SaveDialogAnswers& operator=(const SaveDialogAnswers&) = delete;
    std::deque<std::optional<wxString>> answers;
    std::vector<SaveRequest> requests;
    // Runs as each dialog is answered.
    std::function<void()> onAnswer;
};

// Files read back by decoders independent of the program's writers. Pixels come back as packed
// R,G,B rows, top row first.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};
DecodedImage ReadPngFile(const std::string& path);
// The compression level class zlib recorded in the first IDAT chunk: 0 for levels 0-1, 1 for
// 2-5, 2 for 6, 3 for 7-9.
int PngLevelClass(const std::string& path);
DecodedImage ReadJpegFile(const std::string& path, int* firstLuminanceQuantizer = nullptr);
DecodedImage ReadBmpFile(const std::string& path);

// The R,G,B rows of a region of a picture, for comparison with a decoded file.
std::vector<std::uint8_t> RgbOf(const Bitmap24& picture, int x0, int y0, int x1, int y1);

// The first luminance quantizer libjpeg uses for a quality, to tell the quality of a file.
int ExpectedLuminanceQuantizer(int quality);

std::vector<std::uint8_t> FileBytes(const std::string& path);

}  // namespace pagrovix::test
