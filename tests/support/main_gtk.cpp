// Test runner for the layers that need a display: GTK is initialised as the
// program does it (which sets the process locale from the environment).
#include "support.h"

#include <gtest/gtest.h>

namespace zt
{
void setHaveDisplay(bool b);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    gdk_disable_multidevice();
    zt::setHaveDisplay(gtk_init_check(&argc, &argv));
    return RUN_ALL_TESTS();
}
