#pragma once
#include <QImage>

#include "publication/publication_tick.h"

/// The view painted at the screen's ratio, as the window keeps it: the
/// picture shown and, in the publication look at a whole ratio, the layer
/// under its discs apart, which the publication look's ticks mend tile by
/// tile (PublicationTick).
class ScreenLayers : public PublicationLayers {
public:
    /// Makes the picture anew for a view of `width` x `height` painted at
    /// `scale`, and the layer under apart when `apart`, for a paint to fill.
    void Reset(int width, int height, double scale, bool apart);
    /// Takes `picture` as the one shown, without a layer under.
    void SetPicture(QImage picture);
    QImage& picture() { return picture_; }
    const QImage& picture() const { return picture_; }

    bool apart() const override { return !under_.isNull(); }
    void Paint(Layer layer, const TickDamage* only,
               const std::function<void(DrawingSurface& surface)>& paint) override;
    void CopyUnder(const TickDamage* tiles) override;

private:
    QImage under_, picture_;
    int width_ = 0, height_ = 0;
    double scale_ = 1;
};
