#include "quickgroup/PaletteLayout.h"

namespace quickgroup {

LabelPlace FlowLayout::place(float labelWidth, float paletteWidth)
{
    LabelPlace label{0, m_rowTop, labelWidth};
    const float right = m_previous.left + m_previous.width + kLabelGap + labelWidth;
    if (right > paletteWidth) {
        label.left = kWrappedRowLeft;
        m_rowTop = label.top + kRowPitch;
        label.top = m_rowTop;
    } else {
        label.left = m_previous.left + m_previous.width + kLabelGap;
    }
    m_previous = label;
    return label;
}

QList<LabelPlace> resizeLayout(const QList<float> &labelWidths, float paletteWidth)
{
    FlowLayout flow(0);
    QList<LabelPlace> places;
    for (const float width : labelWidths)
        places.append(flow.place(width, paletteWidth));
    return places;
}

std::optional<QPointF> snapPosition(QPointF paletteTopLeft, float mainLeft, float mainHeight)
{
    const float dy = float(paletteTopLeft.y()) - mainHeight;
    const float dx = float(paletteTopLeft.x()) - mainLeft;
    constexpr float reach = 200;
    if (dy > -reach && dy < reach && dx > -reach && dx < reach)
        return QPointF(mainLeft, mainHeight);
    return std::nullopt;
}

} // namespace quickgroup
