// A fixture base for tests of the parameter store: a temporary etc
// directory and a store that starts as a fresh run's does.
#pragma once

#include "store/conf/params.h"
#include "support.h"
#include "sys/paths.h"

namespace zt
{

template <class Base> class FreshStore : public Base
{
  protected:
    void SetUp() override
    {
        restart();
    }
    void TearDown() override
    {
        prmReset();
    }
    // Drops the store, as the next run of the program starts without it.
    void restart()
    {
        prmReset();
        wbSetEtcDir(m_dir.path());
    }
    TempDir m_dir;
};

} // namespace zt
