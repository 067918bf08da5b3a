// Row loops that the compiler turns into vector code get a copy for wide registers where the
// processor has them. Clang cannot clone templates for several targets; its builds (fuzzing)
// run the plain code.
#pragma once

#if defined(__clang__)
#define VECTOR_CLONES
#else
#define VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
