// zarv-tell TEXT DETAIL: says in a window why Zarv does not start, for the
// launcher, whose refusals would otherwise reach only a terminal that a
// start from the desktop's menu does not have. Ends with status 1 once the
// window is closed, or at once where there is no display.
#include "app/startup.h"

int main(int argc, char* argv[])
{
    if (gtk_init_check(&argc, &argv) && argc == 3)
        wbTellAndWait(argv[1], argv[2]);
    return 1;
}
