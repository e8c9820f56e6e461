#pragma once

#include <functional>
#include <optional>
#include <string>

#include <wx/string.h>

#include "ui/MessageRules.h"

class wxWindow;

namespace pagrovix {

// The small operations every window shares: message boxes whose caption follows the kind of
// message, the busy state, the save dialog and the contact links. The message box and the save
// dialog go through replaceable handlers, so tests answer them instead of a person.
class UiHelpers {
public:
    UiHelpers() = delete;

    // The application title: the product name at start, then the current page's title.
    static const wxString& ApplicationTitle();
    static void SetApplicationTitle(const wxString& title);

    // Shows a message box over the active window and returns the button pressed (MessageResult).
    // Caption kNoCaption means the application title.
    static int MessageBoxCaptioned(const wxString& text, const wxString& caption, long flags);
    // The caption follows the icon bits of flags: "Information", "Warning", "Confirm", "Error".
    static int MessageBoxByIcon(const wxString& text, long flags);
    // The program's default error display: the text with the full-stop rule, the application
    // title as caption, the error icon and OK.
    static void ShowError(const wxString& text);

    // Busy: the busy cursor on, control disabled; not busy: the normal cursor back, whatever was
    // set before, control enabled. Then pending events are processed so the change shows.
    static void SetBusy(bool busy, wxWindow* control = nullptr);

    // A save-file dialog that asks before replacing an existing file. initialPath is offered as
    // the name; returns the chosen full path, or nothing when the user cancelled.
    static std::optional<wxString> ChooseSaveFile(wxWindow* parent, const wxString& filter,
                                                  const wxString& initialPath);
    // The chosen path with wantedExtension ensured. When that added the extension and a file of
    // the final name exists, the user is asked before it is replaced: "No" gives nothing.
    static std::optional<wxString> ConfirmedSavePath(const wxString& chosenPath,
                                                     const std::string& wantedExtension);

    // Open the maker's mail and web-site addresses; a failure shows nothing.
    static void OpenMailLink();
    static void OpenWebsiteLink();

    // An open-file dialog for existing files, starting in folder; returns the chosen full path, or
    // nothing when the user cancelled.
    static std::optional<wxString> ChooseOpenFile(wxWindow* parent, const wxString& filter,
                                                  const wxString& folder);

    // Starts another instance of this program with address as its only argument. The program is
    // started directly with an argument vector, never through a shell, and only for a URL, so no
    // address can run a command or pass for an option. Returns whether it was started.
    static bool StartNewInstance(const wxString& address);

    // Test seams: replace the real message box or save dialog; an empty function restores it.
    using MessageBoxHandler =
        std::function<int(const wxString& text, const wxString& caption, long flags)>;
    using SaveFileHandler =
        std::function<std::optional<wxString>(const wxString& filter, const wxString& initialPath)>;
    static void SetMessageBoxHandler(MessageBoxHandler handler);
    static void SetSaveFileHandler(SaveFileHandler handler);

    // Test seams: replace the open dialog, or observe new-instance requests instead of starting
    // processes; an empty function restores the real behaviour.
    using OpenFileHandler =
        std::function<std::optional<wxString>(const wxString& filter, const wxString& folder)>;
    using NewInstanceHandler = std::function<bool(const wxString& address)>;
    static void SetOpenFileHandler(OpenFileHandler handler);
    static void SetNewInstanceHandler(NewInstanceHandler handler);
};

// Turns the busy state on for a scope and off on every way out of it, errors included.
class BusyScope {
public:
    explicit BusyScope(wxWindow* control = nullptr) : control_(control) {
        UiHelpers::SetBusy(true, control_);
    }
    ~BusyScope() { UiHelpers::SetBusy(false, control_); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    wxWindow* control_;
};

// The maker's contact addresses: the About window shows them as they are opened.
inline constexpr const char* kMakerEmail = "pagrovix@example.org";
inline constexpr const char* kMakerWebsite = "http://pagrovix.example";

}  // namespace pagrovix
