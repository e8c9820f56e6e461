#include "tests/snapshot/SnapshotTestSupport.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#include <gtk/gtk.h>
#include <jpeglib.h>
#include <png.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/timer.h>

#include <gtest/gtest.h>

#include "snapshot/PictureView.h"
#include "snapshot/SnapshotForm.h"
#include "tests/support/GuiTest.h"
#include "ui/UiHelpers.h"

// X11 last: its macros clash with names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace pagrovix::test {

namespace {

std::set<wxWindow*> OpenModalDialogs() {
    std::set<wxWindow*> open;
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal()) {
            open.insert(dialog);
        }
    }
    return open;
}

class DialogWatcher : public wxTimer {
public:
    DialogWatcher(std::function<bool(wxDialog*)> isWanted, std::function<void(wxDialog&)> action)
        : isWanted_(std::move(isWanted)), action_(std::move(action)), before_(OpenModalDialogs()) {}

    void Notify() override {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<wxDialog*>(window);
            if (!dialog || before_.count(dialog) || !dialog->IsModal() || !dialog->IsShown() ||
                !isWanted_(dialog)) {
                continue;
            }
            Stop();
            auto action = std::move(action_);
            action(*dialog);
            if (dialog->IsModal()) {
                dialog->EndModal(wxID_CANCEL);
            }
            CallAfter([this] { delete this; });
            return;
        }
    }

private:
    std::function<bool(wxDialog*)> isWanted_;
    std::function<void(wxDialog&)> action_;
    std::set<wxWindow*> before_;
};

}  // namespace

void WhenDialogShown(const std::function<bool(wxDialog*)>& isWanted,
                     std::function<void(wxDialog&)> action) {
    (new DialogWatcher(isWanted, std::move(action)))->Start(20);
}

void RunInSnapshotWindow(Bitmap24 picture, const std::function<void(TfrmSnapshot&)>& steps) {
    bool ran = false;
    WhenShown<TfrmSnapshot>([&](TfrmSnapshot& form) {
        ASSERT_TRUE(WaitUntil([&] { return form.ScrollBox1->PaintCount() > 0; }));
        ran = true;
        steps(form);
    });
    ShowSnapshotWindow(nullptr, std::move(picture));
    EXPECT_TRUE(ran);
    // The watcher deletes itself once the events after the window's closing are processed.
    ProcessEvents();
}

bool HasSelectedText(wxWindow* field) {
    return gtk_editable_get_selection_bounds(GTK_EDITABLE(field->GetHandle()), nullptr, nullptr);
}

void Click(wxWindow* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
    ProcessEvents();
}

MessageRecorder::MessageRecorder() {
    UiHelpers::SetMessageBoxHandler(
        [this](const wxString& text, const wxString& caption, long flags) {
            shown.push_back({text, caption, flags});
            if (answers.empty()) {
                return 1;
            }
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
}

MessageRecorder::~MessageRecorder() {
    UiHelpers::SetMessageBoxHandler({});
}

SaveDialogAnswers::SaveDialogAnswers() {
    UiHelpers::SetSaveFileHandler(
        [this](const wxString& filter, const wxString& initialPath) -> std::optional<wxString> {
            requests.push_back({filter, initialPath});
            if (onAnswer) {
                onAnswer();
            }
            if (answers.empty()) {
                return std::nullopt;
            }
            std::optional<wxString> answer = answers.front();
            answers.pop_front();
            return answer;
        });
}

SaveDialogAnswers::~SaveDialogAnswers() {
    UiHelpers::SetSaveFileHandler({});
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot open " + path);
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

DecodedImage ReadPngFile(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        throw std::runtime_error("libpng cannot read " + path + ": " + image.message);
    }
    image.format = PNG_FORMAT_RGB;
    DecodedImage decoded;
    decoded.width = int(image.width);
    decoded.height = int(image.height);
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr)) {
        throw std::runtime_error("libpng cannot decode " + path + ": " + image.message);
    }
    return decoded;
}

int PngLevelClass(const std::string& path) {
    const std::vector<std::uint8_t> bytes = FileBytes(path);
    std::size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const std::size_t length = (std::size_t(bytes[at]) << 24) | (bytes[at + 1] << 16) |
                                   (bytes[at + 2] << 8) | bytes[at + 3];
        if (std::string(bytes.begin() + at + 4, bytes.begin() + at + 8) == "IDAT") {
            return bytes.at(at + 9) >> 6;
        }
        at += 12 + length;
    }
    throw std::runtime_error("no IDAT chunk in " + path);
}

namespace {

struct JpegErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

}  // namespace

DecodedImage ReadJpegFile(const std::string& path, int* firstLuminanceQuantizer) {
    const std::vector<std::uint8_t> bytes = FileBytes(path);
    jpeg_decompress_struct info{};
    JpegErrorExit error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<JpegErrorExit*>(common->err)->jump, 1);
    };
    DecodedImage decoded;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        throw std::runtime_error("libjpeg cannot decode " + path);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), (unsigned long)bytes.size());
    jpeg_read_header(&info, TRUE);
    if (firstLuminanceQuantizer) {
        *firstLuminanceQuantizer =
            info.quant_tbl_ptrs[0] ? info.quant_tbl_ptrs[0]->quantval[0] : -1;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    decoded.width = int(info.output_width);
    decoded.height = int(info.output_height);
    decoded.rgb.resize(std::size_t(decoded.width) * decoded.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = decoded.rgb.data() + std::size_t(info.output_scanline) * decoded.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return decoded;
}

DecodedImage ReadBmpFile(const std::string& path) {
    const std::vector<std::uint8_t> bytes = FileBytes(path);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(bytes.at(at)) | std::uint32_t(bytes.at(at + 1)) << 8 |
               std::uint32_t(bytes.at(at + 2)) << 16 | std::uint32_t(bytes.at(at + 3)) << 24;
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || bytes.at(28) != 24) {
        throw std::runtime_error("not a 24-bit BMP: " + path);
    }
    DecodedImage decoded;
    decoded.width = int(u32(18));
    const int height = int(u32(22));
    decoded.height = height < 0 ? -height : height;
    const std::size_t offset = u32(10);
    const std::size_t stride = (std::size_t(decoded.width) * 3 + 3) & ~std::size_t(3);
    decoded.rgb.resize(std::size_t(decoded.width) * decoded.height * 3);
    for (int y = 0; y < decoded.height; ++y) {
        const int fileRow = height > 0 ? decoded.height - 1 - y : y;
        for (int x = 0; x < decoded.width; ++x) {
            const std::size_t at = offset + std::size_t(fileRow) * stride + std::size_t(x) * 3;
            std::uint8_t* out = decoded.rgb.data() + (std::size_t(y) * decoded.width + x) * 3;
            out[0] = bytes.at(at + 2);
            out[1] = bytes.at(at + 1);
            out[2] = bytes.at(at);
        }
    }
    return decoded;
}

std::vector<std::uint8_t> RgbOf(const Bitmap24& picture, int x0, int y0, int x1, int y1) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(std::size_t(x1 - x0) * (y1 - y0) * 3);
    for (int y = y0; y < y1; ++y) {
        const auto row = picture.Row(y);
        for (int x = x0; x < x1; ++x) {
            rgb.push_back(row[3 * x + 2]);
            rgb.push_back(row[3 * x + 1]);
            rgb.push_back(row[3 * x]);
        }
    }
    return rgb;
}

int ExpectedLuminanceQuantizer(int quality) {
    quality = std::max(quality, 1);
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    const int value = (16 * scale + 50) / 100;
    return std::clamp(value, 1, 255);
}

wxRect FrameOnScreen(wxWindow& window) {
    GdkWindow* gdkWindow = gtk_widget_get_window(window.GetHandle());
    Display* display = GDK_WINDOW_XDISPLAY(gdkWindow);
    const Window xid = GDK_WINDOW_XID(gdkWindow);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, xid, XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, 4, False,
                       XA_CARDINAL, &type, &format, &count, &after, &data);
    long extents[4] = {};
    if (data && count == 4) {
        std::copy_n(reinterpret_cast<const long*>(data), 4, extents);
    }
    if (data) {
        XFree(data);
    }
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, xid, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, xid, &attributes);
    if (count != 4) {
        return {};
    }
    return {int(x - extents[0]), int(y - extents[2]),
            int(attributes.width + extents[0] + extents[1]),
            int(attributes.height + extents[2] + extents[3])};
}

}  // namespace pagrovix::test
