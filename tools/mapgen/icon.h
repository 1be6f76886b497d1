#pragma once

#include <QImage>

namespace roteka::mapgen {

// Responsibilities: draws the application icon, a beam antenna seen from above pointing
// north-east over a compass rose, at any size; small sizes drop detail to stay legible.
class IconPainter {
public:
    static constexpr int kMinSize = 16;
    static constexpr int kMaxSize = 1024;

    static QImage render(int size);
};

} // namespace roteka::mapgen
