#include "base/format.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

std::string FormatLabel(double value, int format, int& length) {
    const char* pattern = "%.2f";
    if (format == 0) pattern = "%.0f";
    if (format == 1) pattern = "%.1f";
    if (format >= 3 && format <= 5) pattern = "%.3f";
    std::string text = Format(pattern, value);
    length = int(text.size());
    return text;
}

void PlotBox::Draw(DrawingSurface* surface, int left, int top, int right, int bottom) {
    AttachDC(surface);
    ComputeMapping(left, top, right, bottom);
    if (!enabled) return;
    if (axisStyle)
        DrawCornerLabelledFrame();
    else
        DrawTickedFrame();
    DrawTitle();
    FillBox();
}

void PlotBox::FillBox() {
    if (!deviceContext) return;
    const DeviceRect box = BoxCorners();
    const ColourRef previous = deviceContext->SelectBrush(fillColour);
    deviceContext->Rectangle(box.left, box.top, box.right, box.bottom);
    deviceContext->SelectBrush(previous);
}

void PlotBox::Text(int64_t x, int64_t y, const std::string& text) {
    if (deviceContext) deviceContext->TextOut(Clamp32(x), Clamp32(y), text);
}

void PlotBox::Line(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    if (!deviceContext) return;
    deviceContext->MoveTo(Clamp32(x0), Clamp32(y0));
    deviceContext->LineTo(Clamp32(x1), Clamp32(y1));
}

void PlotBox::DrawTitle() {
    const DevicePoint p = ToDevice(xMin + (xMax - xMin) * 0.5, yMax, 0);
    const int n = int(title.size());
    Text(int64_t(p.x) - 4 * n, int64_t(p.y) - (axisStyle ? 17 : 20), title);
}

void PlotBox::DrawFrameRectangles(const DeviceRect& box) {
    if (!deviceContext) return;
    if (doubleFrame)
        deviceContext->Rectangle(Clamp32(int64_t(box.left) - 1), Clamp32(int64_t(box.top) - 1),
                                 Clamp32(int64_t(box.right) + 1), Clamp32(int64_t(box.bottom) + 1));
    deviceContext->Rectangle(box.left, box.top, box.right, box.bottom);
}

void PlotBox::DrawTickedFrame() {
    if (!enabled) return;
    const DeviceRect box = BoxCorners();
    DrawFrameRectangles(box);
    if (!drawTicks) return;
    const int xLength = ((xTickScale + 1) * (deviceRect.bottom - deviceRect.top)) / 500;
    const int yLength = ((yTickScale + 1) * (deviceRect.right - deviceRect.left)) / 500;
    // A tick count below 1 would divide the range by zero: that axis gets
    // neither ticks nor labels.
    const double dx = xTickCount > 0 ? (xMax - xMin) / xTickCount : 0.0;
    const double dy = yTickCount > 0 ? (yMax - yMin) / yTickCount : 0.0;
    for (int i = 0; xTickCount > 0 && i <= xTickCount; ++i) {
        const DevicePoint p = ToDevice(i * dx + xMin, yMin, 0);
        const int length = i % 2 ? int(xLength * 0.7) : xLength;
        Line(p.x, p.y, p.x, int64_t(p.y) + length);
    }
    for (int j = 0; yTickCount > 0 && j <= yTickCount; ++j) {
        const DevicePoint p = ToDevice(xMin, j * dy + yMin, 0);
        const int length = j % 2 ? int(yLength * 0.7) : yLength;
        Line(p.x, p.y, int64_t(p.x) - length, p.y);
    }
    if (!drawLabels) return;
    int n = 0;
    for (int i = 0; xTickCount > 0 && i <= xTickCount; i += 2) {
        const double x = i * dx + xMin;
        const DevicePoint p = ToDevice(x, yMin, 0);
        const std::string text = FormatLabel(x, xLabelFormat, n);
        Text(int64_t(p.x) - 4 * n, int64_t(p.y) + xLength + 3, text);
    }
    for (int j = 0; yTickCount > 0 && j <= yTickCount; j += 2) {
        const double y = j * dy + yMin;
        const DevicePoint p = ToDevice(xMin, y, 0);
        const std::string text = FormatLabel(y, yLabelFormat, n);
        Text(int64_t(p.x) - 7 * n - yLength, int64_t(p.y) - 8, text);
    }
}

void PlotBox::DrawCornerLabelledFrame() {
    if (!enabled) return;
    DrawFrameRectangles(BoxCorners());
    if (!drawLabels) return;
    const double xMid = xMin + (xMax - xMin) * 0.5;
    const double yMid = yMin + (yMax - yMin) * 0.5;
    struct Label {
        double value;
        int format;
        double x, y;
        int perChar, dx, dy;
    };
    const Label labels[] = {
        {xMin, xLabelFormat, xMin, yMin, 0, 0, 3},   {xMid, xLabelFormat, xMid, yMin, 4, 0, 3},
        {xMax, xLabelFormat, xMax, yMin, 8, 0, 3},   {yMin, yLabelFormat, xMin, yMin, 7, -3, -16},
        {yMid, yLabelFormat, xMin, yMid, 7, -3, -8}, {yMax, yLabelFormat, xMin, yMax, 7, -3, 0},
    };
    int n = 0;
    for (const Label& label : labels) {
        const DevicePoint p = ToDevice(label.x, label.y, 0);
        const std::string text = FormatLabel(label.value, label.format, n);
        Text(int64_t(p.x) - label.perChar * n + label.dx, int64_t(p.y) + label.dy, text);
    }
}
