// One full draw pass of the chart on an image surface at three sizes, with
// and without the burn-off; and one recalculation with its refresh of the
// page, with and without the fuel-planning figures.
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

namespace
{

void BM_DrawChart(benchmark::State& state)
{
    pwbCreateAttrLists();
    const int n = static_cast<int>(state.range(0));
    const int w = n == 500 ? 500 : n, h = n == 500 ? 400 : n;
    // A warning: every element is drawn.
    const _chartInput what = {{700, 0, 0, 2476.5, 5}, {}, false};
    cairo_surface_t* psurf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    for (auto _ : state) {
        cairo_t* pCr = cairo_create(psurf);
        pwbDrawChart(pCr, static_cast<guint>(w), static_cast<guint>(h), what);
        cairo_destroy(pCr);
        cairo_surface_flush(psurf);
    }
    cairo_surface_destroy(psurf);
    state.counters["pixels"] = w * h;
}
BENCHMARK(BM_DrawChart)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);

// The worked loading at 500 × 400, without (0) and with (1) the burn-off
// line and ring.
void BM_DrawBurnOff(benchmark::State& state)
{
    pwbCreateAttrLists();
    _wbSetup s = calcWithFixedArms({});
    s.nBasicWeight = 400;
    s.nBasicLongArm = 2700;
    s.nBasicLatArm = 1;
    _chartInput what = pwbChartInputOf(pwbCalcWB(s, {80, 80, 60, BALLAST_NONE, 0, FALSE}), false);
    what.bShowBurnOff = state.range(0) != 0;
    cairo_surface_t* psurf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 500, 400);
    for (auto _ : state) {
        cairo_t* pCr = cairo_create(psurf);
        pwbDrawChart(pCr, 500, 400, what);
        cairo_destroy(pCr);
        cairo_surface_flush(psurf);
    }
    cairo_surface_destroy(psurf);
}
BENCHMARK(BM_DrawBurnOff)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Argument 0: the window of the 65 objects alone, as before fuel planning;
// 1: today's window, which also shows the zero-fuel row, the fuel allowed
// and the ballast advice.
void BM_Recalculate(benchmark::State& state)
{
    // The page's labels need a display; without one only the arithmetic runs.
    GtkBuilder* pBuilder = nullptr;
    void (*pfuncRecalculate)(void) = [] { benchmark::DoNotOptimize(legCalcShown()); };
    if (gdk_display_get_default()) {
        pBuilder = gtk_builder_new_from_file(state.range(0) ? ZARV_SOURCE_DIR "/etc/Zarv.ui"
                                                            : ZARV_SOURCE_DIR "/tests/data/Zarv-65.ui");
        pwbInit(pBuilder);
        pfuncRecalculate = pwbRefresh; // the calculation and the result table
    } else {
        state.SetLabel("no display: arithmetic only");
    }
    stateEditSetup().nBasicWeight = 400;
    stateEditSetup().nBasicLongArm = 2700;
    stateEditLoad().nLSeatWeight = stateEditLoad().nRSeatWeight = 80;
    stateEditLoad().nFuelVolume = 60;
    // A real change each time: the left seat between two weights, so every
    // refresh shows new figures.
    int i = 0;
    for (auto _ : state) {
        stateEditLoad().nLSeatWeight = ++i % 2 ? 80 : 81;
        pfuncRecalculate();
    }
    if (pBuilder) {
        gtk_widget_destroy(GTK_WIDGET(gtk_builder_get_object(pBuilder, "Zarv")));
        g_object_unref(pBuilder);
    }
}
BENCHMARK(BM_Recalculate)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
