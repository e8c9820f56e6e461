// The toolbar commands of the Snapshot window: preview and the saves.
#include <wx/button.h>
#include <wx/filename.h>
#include <wx/textctrl.h>

#include "snapshot/CornerInput.h"
#include "snapshot/CropSelection.h"
#include "snapshot/PictureClipboard.h"
#include "snapshot/PictureView.h"
#include "snapshot/PreviewForm.h"
#include "snapshot/SaveForm.h"
#include "snapshot/SnapshotForm.h"
#include "ui/UiHelpers.h"

namespace pagrovix {

// While a command works, the toolbar, the corner fields and the scroll area are disabled and the
// busy cursor shows; both end on every way out, errors included.
class CommandBusyState {
public:
    explicit CommandBusyState(TfrmSnapshot& form) : form_(form) {
        form_.SetControlsEnabled(false);
        UiHelpers::SetBusy(true);
    }
    ~CommandBusyState() {
        form_.SetControlsEnabled(true);
        UiHelpers::SetBusy(false);
    }
    CommandBusyState(const CommandBusyState&) = delete;
    CommandBusyState& operator=(const CommandBusyState&) = delete;

private:
    TfrmSnapshot& form_;
};

namespace {

std::string FileSystemPath(const wxString& path) {
    return std::string(path.fn_str());
}

void ShowSaved(const wxString& path) {
    UiHelpers::MessageBoxByIcon("OK.\r\n" + path, MessageFlags::IconInformation);
}

}  // namespace

void TfrmSnapshot::SetControlsEnabled(bool enabled) {
    for (wxWindow* control : std::initializer_list<wxWindow*>{
             ToolButton1, ToolButton2, ToolButton3, ToolButton4, ToolButton5, LabeledEdit1,
             LabeledEdit2, LabeledEdit3, LabeledEdit4, ScrollBox1}) {
        control->Enable(enabled);
    }
}

void TfrmSnapshot::CropSelection() {
    LayoutSelection(Handle::None);
    ::pagrovix::CropSelection(Image1Picture, selection_.Rect(), CropBitmap);
}

void TfrmSnapshot::ToolButton1Click() {
    TfrmPreview preview(this);
    {
        CommandBusyState busy(*this);
        CropSelection();
        // The preview shows the crop itself; nothing changes it while the preview is open.
        preview.SetPicture(&CropBitmap);
    }
    preview.ShowModal();
}

void TfrmSnapshot::QuickSave(const QuickSaveFormat& format) {
    SaveDialog1.SetFilter(format.filter);
    const std::optional<wxString> chosen = SaveDialog1.Execute();
    if (!chosen) {
        return;
    }
    // The dialog's overwrite question saw the name before the extension was added.
    const std::optional<wxString> path = UiHelpers::ConfirmedSavePath(*chosen, format.extension);
    if (!path) {
        return;
    }
    {
        CommandBusyState busy(*this);
        CropSelection();
        WriteImageFile(CropBitmap, FileSystemPath(*path), format.format, format.setting);
    }
    ShowSaved(*path);
}

void TfrmSnapshot::CopySelection() {
    // Disabling the controls takes the focus from them; the copy leaves the window as it was.
    wxWindow* const focused = FindFocus();
    {
        CommandBusyState busy(*this);
        CropSelection();
        CopyPictureToClipboard(CropBitmap);
    }
    if (focused) {
        focused->SetFocus();
    }
}

void TfrmSnapshot::ToolButton2Click() {
    wxString path;
    int value = 0;
    {
        TfrmSave dialog(this);
        if (dialog.ShowModal() == wxID_OK) {
            path = dialog.ResultFileName;
            value = dialog.ResultValue;
        }
    }
    if (TrimBlanks(path.utf8_string()).empty()) {
        return;
    }
    {
        CommandBusyState busy(*this);
        CropSelection();
        if (const std::optional<ImageFormat> format = SaveAsFormatForPath(path.utf8_string())) {
            WriteImageFile(CropBitmap, FileSystemPath(path), *format, value);
        }
    }
    if (wxFileName::FileExists(path)) {
        ShowSaved(path);
    }
}

}  // namespace pagrovix
