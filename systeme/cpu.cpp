// The CPU's features, read once at load time.
#include "systeme/systeme.h"

static int detecte_avx2() {
#if defined(VORPLANE_X86)
    __builtin_cpu_init();  // needed before __builtin_cpu_supports during static initialisation
    return __builtin_cpu_supports("avx2") ? 1 : 0;
#else
    return 0;
#endif
}

int simd = detecte_avx2();
