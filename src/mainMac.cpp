// mac: decides whether the instance in "current.txt" has a solution.
// Exit status: 0 no solution, 10 solution, 1 or 255 on errors.
#include "EntreesSorties/entrees_sorties.h"
#include "Utilitaires/my_time.h"
#include "mac.h"

int main(int, char**) {
    installMemError();
    const clock_t temps = cpu_time();
    static Network net;
    static SearchState etat;
    readCSP("current.txt", net);
    return solve(net, etat, "current.txt", temps, nullptr);
}
