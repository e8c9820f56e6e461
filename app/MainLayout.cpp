#include "app/MainLayout.h"

#include <algorithm>

namespace pagrovix {
namespace {

constexpr int kGapBeforeAddress = 8;
constexpr int kGapAfterAddress = 4;
constexpr int kGoRightMargin = 4;
constexpr int kProgressPanelWidth = 200;
constexpr int kEndPanelWidth = 80;

}  // namespace

WindowSize ClampWindowSize(WindowSize size) {
    return {std::max(size.width, kMinWindowWidth), std::max(size.height, kMinWindowHeight)};
}

ToolStripPlacement PlaceToolStrip(const ToolStripMeasures& m) {
    ToolStripPlacement p;
    // C++ division truncates toward zero, as the layout wants for odd and negative differences.
    p.goLeft = m.panelClientWidth - m.goWidth - kGoRightMargin;
    p.goTop = (m.panelClientHeight - m.goHeight) / 2;
    p.addressLeft = m.toolbarLeft + m.toolbarWidth + kGapBeforeAddress;
    p.addressTop = (m.panelClientHeight - m.addressHeight) / 2;
    p.addressWidth = p.goLeft - p.addressLeft - kGapAfterAddress;
    return p;
}

StatusPanelWidths PlaceStatusPanels(int statusClientWidth) {
    return {statusClientWidth - kProgressPanelWidth - kEndPanelWidth, kProgressPanelWidth,
            kEndPanelWidth};
}

double FittingCaptionPoints(double normalPoints, double smallestPoints, int room,
                            const std::function<int(double points)>& widestAt) {
    for (double points = normalPoints; points > smallestPoints; points -= 0.5) {
        if (widestAt(points) <= room) {
            return points;
        }
    }
    return smallestPoints;
}

}  // namespace pagrovix
