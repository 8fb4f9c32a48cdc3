// Preloaded into the game by measure_run.sh: passes SDL_RenderPresent through and prints the
// wall-clock time of the first call on stderr, so start-up can be timed to the first frame,
// with the processor time the program had used by then (all its threads), which a busy
// machine does not inflate the way it does the wall-clock time.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>

void SDL_RenderPresent(void* renderer) {
    static void (*present)(void*) = NULL;
    static int seen = 0;
    if (!present) present = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
    present(renderer);
    if (!seen) {
        struct timespec t, cpu;
        clock_gettime(CLOCK_REALTIME, &t);
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        fprintf(stderr, "first-present %lld cpu %.1f\n",
                (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000,
                cpu.tv_sec * 1000.0 + cpu.tv_nsec / 1e6);
        seen = 1;
    }
}
