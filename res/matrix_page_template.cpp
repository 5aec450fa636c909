// Template 134: the Matrix page, eight output groups in two rows of four.

#include "res/control_builder.h"
#include "res/dialog_templates.h"
#include "res/resource_ids.h"

namespace torvane::res {
namespace {

constexpr Point kGroupCorners[8] = {{3, 3},   {87, 3},   {171, 3},   {255, 3},
                                    {3, 135}, {87, 135}, {171, 135}, {255, 135}};

void AddOutputGroup(std::vector<ControlTemplate>& c, int output) {
    using K = ControlKind;
    const MatrixOutputIds& ids = kMatrixOutputs[output];
    const Point g = kGroupCorners[output];
    // In the lower row the picture and the buttons sit one unit lower.
    const int dy = output < 4 ? 0 : 1;
    auto at = [&](int x, int y, int width, int height, int shift = 0) {
        return Rect{g.x + x, g.y + y + shift, width, height};
    };
    c.push_back(MakeControl(ids.group, K::kGroupBox, std::string("OUTPUT ") + char('A' + output),
                            at(0, 0, 82, 130)));
    // The picture's size is in pixels: the bitmap's own. It shows a digit
    // only once the switcher has confirmed the output's input.
    c.push_back(WithImage(MakeControl(ids.picture, K::kPicture, "", at(21, 9, 80, 80, dy)),
                          kUnknownInputBitmap));
    for (int i = 0; i < 8; ++i)
        c.push_back(MakeControl(ids.inputs[i], K::kCheckBox, "IN" + std::to_string(i + 1),
                                at(3 + 19 * (i % 4), i < 4 ? 53 : 70, 19, 15, dy),
                                kAutoCheck | kPushLike));
    c.push_back(WithImage(MakeControl(ids.previous, K::kPushButton, "", at(22, 87, 19, 15, dy)),
                          kPreviousInputIcon));
    c.push_back(WithImage(MakeControl(ids.next, K::kPushButton, "", at(41, 87, 19, 15, dy)),
                          kNextInputIcon));
    c.push_back(MakeControl(kNoControlId, K::kLabel, "ARC", at(3, 104, 15, 8)));
    c.push_back(MakeControl(kNoControlId, K::kEtchedLine, "", at(22, 108, 52, 1)));
    c.push_back(MakeControl(ids.arcOn, K::kCheckBox, "ON", at(22, 111, 24, 15), kAutoCheck));
    c.push_back(MakeControl(ids.arcOff, K::kCheckBox, "OFF", at(50, 111, 24, 15), kAutoCheck));
}

DialogTemplate BuildMatrixPage() {
    DialogTemplate d;
    d.id = kMatrixPage;
    d.width = 343;
    d.height = 274;
    d.font = "Microsoft YaHei";
    d.fontPoints = 9;
    for (int output = 0; output < 8; ++output) AddOutputGroup(d.controls, output);
    return d;
}

}  // namespace

const DialogTemplate& MatrixPageTemplate() {
    static const DialogTemplate t = BuildMatrixPage();
    return t;
}

}  // namespace torvane::res
