#include "ui/ProgramArt.h"

#include <wx/artprov.h>
#include <wx/stdpaths.h>

#include "ui/DataFiles.h"

namespace pagrovix {
namespace {

// Small drawings on a 24 × 24 grid in the colours of a light desktop theme.
constexpr const char* kArrowLeft =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<circle cx="12" cy="12" r="10.5" fill="#3b82c4" stroke="#24598a"/>
<path d="M13.5 6.5 8 12l5.5 5.5M8.5 12H18" fill="none" stroke="#fff" stroke-width="2.6"
 stroke-linecap="round" stroke-linejoin="round"/></svg>)";
constexpr const char* kArrowRight =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<circle cx="12" cy="12" r="10.5" fill="#3b82c4" stroke="#24598a"/>
<path d="M10.5 6.5 16 12l-5.5 5.5M15.5 12H6" fill="none" stroke="#fff" stroke-width="2.6"
 stroke-linecap="round" stroke-linejoin="round"/></svg>)";
constexpr const char* kStop =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<path d="M8 2h8l6 6v8l-6 6H8l-6-6V8z" fill="#d9362b" stroke="#a3231b"/>
<path d="M8.5 8.5l7 7m0-7-7 7" stroke="#fff" stroke-width="2.6" stroke-linecap="round"/></svg>)";
constexpr const char* kRefresh =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<path d="M19 12a7 7 0 1 1-2.05-4.95" fill="none" stroke="#2e8b3e" stroke-width="3"
 stroke-linecap="round"/>
<path d="M20.5 3.5v6.5H14z" fill="#2e8b3e"/></svg>)";
constexpr const char* kHome =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<path d="M5 11v10h5v-6h4v6h5V11" fill="#f3f3f3" stroke="#6b6b6b" stroke-width="1.5"
 stroke-linejoin="round"/>
<path d="M2.5 12.5 12 3.5l9.5 9" fill="none" stroke="#c0392b" stroke-width="2.5"
 stroke-linecap="round" stroke-linejoin="round"/></svg>)";
constexpr const char* kCamera =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<rect x="2" y="6.5" width="20" height="14" rx="2.5" fill="#4a4f57" stroke="#2c2f33"/>
<path d="M8 6.5 9.5 3.5h5L16 6.5z" fill="#4a4f57" stroke="#2c2f33" stroke-linejoin="round"/>
<circle cx="12" cy="13.5" r="5" fill="#9fc7ec" stroke="#e8e8e8" stroke-width="1.6"/>
<circle cx="12" cy="13.5" r="2" fill="#2f5f8f"/>
<rect x="17.5" y="8.5" width="2.5" height="1.5" fill="#f2c84b"/></svg>)";
constexpr const char* kFolder =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<path d="M2.5 5.5h7l2 2h10v12h-19z" fill="#e0a93b" stroke="#a8771f" stroke-linejoin="round"/>
<path d="M2.5 10h19v9.5h-19z" fill="#f4c55b" stroke="#a8771f" stroke-linejoin="round"/></svg>)";
constexpr const char* kGo =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<circle cx="12" cy="12" r="10.5" fill="#37a047" stroke="#24712f"/>
<path d="M10.5 6.5 16 12l-5.5 5.5M15.5 12H6" fill="none" stroke="#fff" stroke-width="2.6"
 stroke-linecap="round" stroke-linejoin="round"/></svg>)";
constexpr const char* kPage =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">
<circle cx="8" cy="8" r="6.75" fill="#dcebf9" stroke="#3b82c4" stroke-width="1.3"/>
<path d="M1.5 8h13M8 1.3c-3.6 3.7-3.6 9.7 0 13.4M8 1.3c3.6 3.7 3.6 9.7 0 13.4" fill="none"
 stroke="#3b82c4" stroke-width="1.1"/></svg>)";
struct PictureSource {
    const char* themeName;
    const char* drawing;
};

PictureSource SourceOf(Picture picture) {
    switch (picture) {
        case Picture::Back:
            return {"go-previous", kArrowLeft};
        case Picture::Forward:
            return {"go-next", kArrowRight};
        case Picture::Stop:
            return {"process-stop", kStop};
        case Picture::Refresh:
            return {"view-refresh", kRefresh};
        case Picture::Home:
            return {"go-home", kHome};
        case Picture::Snapshot:
            return {"camera-photo", kCamera};
        case Picture::Open:
            return {"document-open", kFolder};
        case Picture::Go:
            return {"go-jump", kGo};
        case Picture::Page:
            return {"text-html", kPage};
    }
    return {"", kPage};
}

wxBitmapBundle FromDrawing(const char* svg, int size) {
    return wxBitmapBundle::FromSVG(svg, wxSize(size, size));
}

}  // namespace

wxBitmapBundle ThemePicture(Picture picture, int size) {
    const PictureSource source = SourceOf(picture);
    wxBitmapBundle themed =
        wxArtProvider::GetBitmapBundle(source.themeName, wxART_TOOLBAR, wxSize(size, size));
    if (themed.IsOk() && themed.GetBitmap(wxSize(size, size)).IsOk()) {
        return themed;
    }
    return FromDrawing(source.drawing, size);
}

wxBitmapBundle BuiltInPicture(Picture picture, int size) {
    return FromDrawing(SourceOf(picture).drawing, size);
}

wxBitmapBundle ProductIcon() {
    const std::string programFolder =
        FolderOf(wxStandardPaths::Get().GetExecutablePath().utf8_string());
    if (const auto file = FirstExistingFile(
            DataFileCandidates(programFolder, InstalledDataFolder(), "pagrovix.svg"))) {
        wxBitmapBundle icon =
            wxBitmapBundle::FromSVGFile(wxString::FromUTF8(*file), wxSize(64, 64));
        if (icon.IsOk()) {
            return icon;
        }
    }
    return FromDrawing(kCamera, 64);
}

wxIconBundle ProductIcons() {
    const wxBitmapBundle picture = ProductIcon();
    wxIconBundle icons;
    for (const int size : {16, 24, 32, 48, 64}) {
        wxIcon icon;
        icon.CopyFromBitmap(picture.GetBitmap(wxSize(size, size)));
        icons.AddIcon(icon);
    }
    return icons;
}

}  // namespace pagrovix
