#include "snapshot/ToolbarImages.h"

#include <algorithm>
#include <functional>

#include <wx/dcmemory.h>
#include <wx/image.h>

namespace pagrovix {

namespace {

// A 16 x 16 image drawn on a transparent background.
wxBitmap DrawImage(const std::function<void(wxDC&)>& draw) {
    wxImage image(16, 16);
    image.InitAlpha();
    unsigned char* alpha = image.GetAlpha();
    std::fill(alpha, alpha + 16 * 16, 0);
    wxBitmap canvas(16, 16, 24);
    {
        wxMemoryDC dc(canvas);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        draw(dc);
    }
    // Everything not left white is the image.
    const wxImage drawn = canvas.ConvertToImage();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool white = drawn.GetRed(x, y) == 255 && drawn.GetGreen(x, y) == 255 &&
                               drawn.GetBlue(x, y) == 255;
            image.SetRGB(x, y, drawn.GetRed(x, y), drawn.GetGreen(x, y), drawn.GetBlue(x, y));
            image.SetAlpha(x, y, white ? 0 : 255);
        }
    }
    return wxBitmap(image);
}

}  // namespace

wxBitmap PreviewImage() {
    return DrawImage([](wxDC& dc) {
        dc.SetPen(wxPen(wxColour(40, 40, 40), 2));
        dc.SetBrush(wxBrush(wxColour(200, 225, 250)));
        dc.DrawCircle(6, 6, 5);
        dc.SetPen(wxPen(wxColour(90, 60, 20), 3));
        dc.DrawLine(10, 10, 15, 15);
    });
}

wxBitmap SaveImage() {
    return DrawImage([](wxDC& dc) {
        dc.SetPen(wxPen(wxColour(20, 40, 90)));
        dc.SetBrush(wxBrush(wxColour(50, 90, 170)));
        dc.DrawRectangle(1, 1, 14, 14);
        dc.SetBrush(wxBrush(wxColour(250, 250, 250)));
        dc.SetPen(wxPen(wxColour(250, 250, 250)));
        dc.DrawRectangle(4, 2, 8, 5);
        dc.SetBrush(wxBrush(wxColour(20, 40, 90)));
        dc.DrawRectangle(5, 10, 6, 4);
    });
}

}  // namespace pagrovix
