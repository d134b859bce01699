// Commits to Zarv.conf in a tight loop through the parameter store, as fast
// as it can, printing each value once its commit has returned:
//   zarv_commit_loop ETC-DIR FIRST-VALUE [COUNT]
// The crash test kills it at random moments; with a COUNT it ends after as
// many commits.
#include "store/conf/params.h"
#include "sys/paths.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    wbSetEtcDir(argv[1]);
    prmLoadKeyFile();
    setvbuf(stdout, nullptr, _IONBF, 0);
    const long nCount = argc > 3 ? atol(argv[3]) : -1;
    for (long n = atol(argv[2]); nCount < 0 || n < atol(argv[2]) + nCount; n++) {
        prmSetKeyDouble("Load", "LSeat", static_cast<double>(n));
        printf("%ld\n", n);
    }
    return 0;
}
