// Benchmark runner. GTK is initialised when a display is there, for the
// benchmark that refreshes the result table's labels.
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

int main(int argc, char** argv)
{
    gtk_init_check(&argc, &argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
