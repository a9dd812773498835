#include "publication/view_paint.h"

#include "animation/simulation_state.h"
#include "animation/tick_damage.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"
#include "publication/publication_paint.h"
#include "publication/publication_tick.h"

void PaintView(const SimulationState& s, PlotBox& plot, DrawingSurface& surface, int width, int height,
               TrailCache* trails) {
    if (s.view.style == ViewStyle::Publication && surface.smooth())
        PaintPublicationView(s, plot, surface, width, height);
    else
        PaintClassicView(s, plot, surface, width, height, trails);
}

TimerRequest TickView(SimulationState& s, PlotBox& plot, DrawingSurface& surface, TrailCache* trails,
                      TickDamage* damage) {
    if (s.view.style != ViewStyle::Publication || !s.loaded().dataLoaded)
        return TickClassicView(s, plot, surface, trails, damage);
    plot.AttachDC(&surface);
    // It draws nothing here: a view that keeps its picture ticks with
    // PublicationTick, which tells what changed; this one cannot.
    if (damage) damage->MarkAll();
    bool wraps = false;
    return MovePublicationTick(s, wraps);
}
