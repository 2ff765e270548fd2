#include "Utilitaires/my_time.h"

static struct tms tcpu;  // last reading of times()

clock_t cpu_time() {
    times(&tcpu);
    return tcpu.tms_utime;
}
