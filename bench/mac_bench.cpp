// mac_bench: one run of the solver as mac does it (instance read, "weight"
// loaded, search, the three files written in the working directory), with
// its measures on standard output as key=value pairs:
//
//   mac_bench [--reference] instance     the run; --reference: the plain reader
//                                        (lecture_simple.h) and the plain search
//   mac_bench --weights instance         writes a "weight" file of ones and exits
//   mac_bench --fscanf instance          reads every token with fscanf, for comparison
//
// The measures: status, vars, ctrs, decisions, load_s, search_s, cpu_s (the
// whole process, user + system), peak_kb (maximum resident size).
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <ctime>

#include "EntreesSorties/entrees_sorties.h"
#include "EntreesSorties/lecture_simple.h"
#include "mac.h"

namespace {

double secondes(std::clock_t c) { return static_cast<double>(c) / CLOCKS_PER_SEC; }

void mesuresProcessus(double& cpu, long& peakKb) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    cpu = static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
          static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    peakKb = u.ru_maxrss;
}

// The token-by-token reading that a reader built on fscanf does at the very
// least: the name, then every number of the file.
int lectureFscanf(const char* nom) {
    const std::clock_t debut = std::clock();
    std::FILE* f = std::fopen(nom, "r");
    if (!f) return 1;
    char nomInstance[4096];
    if (std::fscanf(f, "%4095s", nomInstance) != 1) return 1;
    long n = 0, somme = 0;
    int v;
    while (std::fscanf(f, "%d", &v) == 1) {
        ++n;
        somme += v;
    }
    std::fclose(f);
    std::printf("fscanf_s=%.4f tokens=%ld checksum=%ld\n", secondes(std::clock() - debut), n, somme);
    return 0;
}

int poidsUnitaires(const char* nom) {
    static Network net;
    readCSP(nom, net);
    std::FILE* f = std::fopen("weight", "w");
    if (!f) return 1;
    for (const VOISIN& g : net.graphe)
        for (size_t k = 0; k < g.tab_voisins.size(); ++k) std::fputs("1 ", f);
    std::fclose(f);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool reference = false;
    int a = 1;
    if (argc == 3 && std::strcmp(argv[1], "--fscanf") == 0) return lectureFscanf(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--weights") == 0) return poidsUnitaires(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--reference") == 0) {
        reference = true;
        a = 2;
    }
    if (argc != a + 1) {
        std::fputs("usage: mac_bench [--reference | --weights | --fscanf] instance\n", stderr);
        return 2;
    }
    installMemError();
    static Network net;
    static SearchState etat;
    const std::clock_t debut = std::clock();
    if (!reference) readCSP(argv[a], net);
    else
        try {
            lireCSPSimple(argv[a], net);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", argv[a], e.what());
            return 255;
        }
    const std::clock_t lu = std::clock();
    etat.reference = reference;
    const int status = solve(net, etat, argv[a], debut, nullptr);
    const std::clock_t fin = std::clock();
    double cpu;
    long peakKb;
    mesuresProcessus(cpu, peakKb);
    std::printf("status=%d vars=%d ctrs=%d decisions=%llu load_s=%.4f search_s=%.4f files_s=%.4f cpu_s=%.4f peak_kb=%ld\n",
                status, net.nb_var, net.nb_ctr, static_cast<unsigned long long>(etat.decisions),
                secondes(lu - debut), secondes(etat.searchClock), secondes(fin - lu - etat.searchClock), cpu, peakKb);
    return status;
}
