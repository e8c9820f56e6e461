#include "ui/UiHelpers.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include "imaging/FileNames.h"
#include "ui/AddressRules.h"

namespace pagrovix {
namespace {

wxString& TitleStore() {
    static wxString title = "Pagrovix";
    return title;
}

UiHelpers::MessageBoxHandler& MessageBoxHook() {
    static UiHelpers::MessageBoxHandler hook;
    return hook;
}

UiHelpers::SaveFileHandler& SaveFileHook() {
    static UiHelpers::SaveFileHandler hook;
    return hook;
}

UiHelpers::OpenFileHandler& OpenFileHook() {
    static UiHelpers::OpenFileHandler hook;
    return hook;
}

UiHelpers::NewInstanceHandler& NewInstanceHook() {
    static UiHelpers::NewInstanceHandler hook;
    return hook;
}

// Message boxes belong to the window the user is working in: the innermost modal dialog when
// one is open, else the main window.
wxWindow* OwnerWindow() {
    if (wxWindow* active = wxGetActiveWindow()) {
        return wxGetTopLevelParent(active);
    }
    return wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}

long ToWxStyle(long flags) {
    long style = 0;
    switch (flags & 0x0F) {
        case MessageFlags::OkCancel:
            style |= wxOK | wxCANCEL;
            break;
        case MessageFlags::YesNo:
            style |= wxYES_NO;
            break;
        default:
            style |= wxOK;
            break;
    }
    if (flags & MessageFlags::IconInformation) {
        style |= wxICON_INFORMATION;
    } else if ((flags & MessageFlags::IconWarning) == MessageFlags::IconWarning) {
        style |= wxICON_WARNING;
    } else if (flags & MessageFlags::IconQuestion) {
        style |= wxICON_QUESTION;
    } else if (flags & MessageFlags::IconError) {
        style |= wxICON_ERROR;
    }
    return style;
}

int ToMessageResult(int wxAnswer) {
    switch (wxAnswer) {
        case wxID_YES:
            return MessageResult::Yes;
        case wxID_NO:
            return MessageResult::No;
        case wxID_CANCEL:
            return MessageResult::Cancel;
        default:
            return MessageResult::Ok;
    }
}

}  // namespace

const wxString& UiHelpers::ApplicationTitle() {
    return TitleStore();
}

void UiHelpers::SetApplicationTitle(const wxString& title) {
    TitleStore() = title;
    if (wxTheApp) {
        wxTheApp->SetAppDisplayName(title);
    }
}

int UiHelpers::MessageBoxCaptioned(const wxString& text, const wxString& caption, long flags) {
    const wxString shown =
        wxString::FromUTF8(ResolveCaption(caption.utf8_string(), ApplicationTitle().utf8_string()));
    if (MessageBoxHook()) {
        return MessageBoxHook()(text, shown, flags);
    }
    wxMessageDialog box(OwnerWindow(), text, shown, ToWxStyle(flags));
    return ToMessageResult(box.ShowModal());
}

int UiHelpers::MessageBoxByIcon(const wxString& text, long flags) {
    return MessageBoxCaptioned(
        text, wxString::FromUTF8(CaptionForIcon(flags, ApplicationTitle().utf8_string())), flags);
}

void UiHelpers::ShowError(const wxString& text) {
    MessageBoxCaptioned(wxString::FromUTF8(WithFullStop(text.utf8_string())),
                        wxString::FromUTF8(kNoCaption), MessageFlags::IconError);
}

void UiHelpers::SetBusy(bool busy, wxWindow* control) {
    if (control) {
        control->Enable(!busy);
    }
    // Not nested: "not busy" always brings the normal cursor back.
    if (busy) {
        if (!wxIsBusy()) {
            wxBeginBusyCursor();
        }
    } else {
        while (wxIsBusy()) {
            wxEndBusyCursor();
        }
    }
    if (wxTheApp) {
        wxTheApp->Yield(true);
    }
}

std::optional<wxString> UiHelpers::ChooseSaveFile(wxWindow* parent, const wxString& filter,
                                                  const wxString& initialPath) {
    if (SaveFileHook()) {
        return SaveFileHook()(filter, initialPath);
    }
    wxString folder;
    wxString name;
    if (!initialPath.empty()) {
        const wxFileName file(initialPath);
        folder = file.GetPath();
        name = file.GetFullName();
    }
    wxFileDialog dialog(parent, "Save As", folder, name, filter, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    return dialog.GetPath();
}

std::optional<wxString> UiHelpers::ConfirmedSavePath(const wxString& chosenPath,
                                                     const std::string& wantedExtension) {
    const wxString path =
        wxString::FromUTF8(EnsureExtension(chosenPath.utf8_string(), wantedExtension));
    // The dialog's own overwrite question only saw the name as typed.
    if (path != chosenPath && wxFileName::Exists(path)) {
        const wxString question = wxString::Format(
            "A file named \"%s\" already exists. Do you want to replace it?", path);
        if (MessageBoxByIcon(question, MessageFlags::YesNo | MessageFlags::IconQuestion) !=
            MessageResult::Yes) {
            return std::nullopt;
        }
    }
    return path;
}

namespace {

// A link that cannot be opened (no mail program, no browser) shows nothing: the toolkit's own
// error box is kept quiet.
void OpenLinkQuietly(const wxString& address) {
    const wxLogNull quiet;
    wxLaunchDefaultBrowser(address);
}

}  // namespace

void UiHelpers::OpenMailLink() {
    OpenLinkQuietly(wxString("mailto:") + kMakerEmail);
}

void UiHelpers::OpenWebsiteLink() {
    OpenLinkQuietly(kMakerWebsite);
}

std::optional<wxString> UiHelpers::ChooseOpenFile(wxWindow* parent, const wxString& filter,
                                                  const wxString& folder) {
    if (OpenFileHook()) {
        return OpenFileHook()(filter, folder);
    }
    wxFileDialog dialog(parent, "Open", folder, wxEmptyString, filter,
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    return dialog.GetPath();
}

bool UiHelpers::StartNewInstance(const wxString& address) {
    if (!IsInstanceAddress(address.utf8_string())) {
        return false;
    }
    if (NewInstanceHook()) {
        return NewInstanceHook()(address);
    }
    const wxString program = wxStandardPaths::Get().GetExecutablePath();
    const wxScopedCharBuffer programBytes = program.fn_str();
    const wxScopedCharBuffer addressBytes = address.utf8_str();
    const char* const arguments[] = {programBytes.data(), addressBytes.data(), nullptr};
    return wxExecute(arguments, wxEXEC_ASYNC) > 0;
}

void UiHelpers::SetOpenFileHandler(OpenFileHandler handler) {
    OpenFileHook() = std::move(handler);
}

void UiHelpers::SetNewInstanceHandler(NewInstanceHandler handler) {
    NewInstanceHook() = std::move(handler);
}

void UiHelpers::SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHook() = std::move(handler);
}

void UiHelpers::SetSaveFileHandler(SaveFileHandler handler) {
    SaveFileHook() = std::move(handler);
}

}  // namespace pagrovix
