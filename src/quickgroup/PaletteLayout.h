#pragma once

#include <QList>
#include <QPointF>
#include <optional>

namespace quickgroup {

// Group labels flow left to right in rows that wrap at the palette's inner width. All values
// are twips inside the palette.
struct LabelPlace {
    float left = 0;
    float top = 0;
    float width = 0;

    bool operator==(const LabelPlace &) const = default;
};

inline constexpr float kLabelGap = 100;
inline constexpr float kWrappedRowLeft = 100;
inline constexpr float kRowPitch = 300;
inline constexpr float kCreatedFirstRowTop = 45;
inline constexpr float kTemplateWidth = 15;

// Places labels one at a time. The first label follows an invisible template label 15 wide
// at left 0. Labels created as the groups are read start at top 45; labels laid out again
// after the palette changed size start at top 0.
class FlowLayout {
public:
    explicit FlowLayout(float firstRowTop) : m_rowTop(firstRowTop) {}
    LabelPlace place(float labelWidth, float paletteWidth);

private:
    LabelPlace m_previous{0, kCreatedFirstRowTop, kTemplateWidth};
    float m_rowTop;
};

QList<LabelPlace> resizeLayout(const QList<float> &labelWidths, float paletteWidth);

// Where the palette snaps to when it lies within 200 twips (exclusive) of its docking point,
// the main window's left edge at the main window's height.
std::optional<QPointF> snapPosition(QPointF paletteTopLeft, float mainLeft, float mainHeight);

} // namespace quickgroup
