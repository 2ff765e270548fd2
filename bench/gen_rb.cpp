// gen_rb: a random binary instance in the style of model RB, in the instance
// text format on standard output.
//
//   gen_rb n d m p seed
//
// n variables on one domain {0..d-1}; m distinct pairs of variables drawn at
// random, each with its own relation that forbids round(p * d * d) distinct
// pairs of values drawn at random.  The relation lists whichever of its
// forbidden or allowed pairs is shorter.  The same arguments give the same
// file on every machine (the draws use only std::mt19937_64 outputs).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// Uniform draw in [0, n) from the raw generator output (the standard
// distributions differ between library implementations).
std::uint64_t tirer(std::mt19937_64& rng, std::uint64_t n) {
    const std::uint64_t limite = UINT64_MAX - UINT64_MAX % n;
    std::uint64_t x;
    do x = rng();
    while (x >= limite);
    return x % n;
}

void ecrireRelation(std::string& out, int numero, int d, double p, std::mt19937_64& rng) {
    const int total = d * d;
    const int interdits = static_cast<int>(p * total + 0.5);
    // Partial Fisher-Yates over the d*d cells: the first `interdits` are forbidden.
    std::vector<int> cellules(total);
    for (int k = 0; k < total; ++k) cellules[k] = k;
    for (int k = 0; k < interdits; ++k)
        std::swap(cellules[k], cellules[k + static_cast<int>(tirer(rng, static_cast<std::uint64_t>(total - k)))]);
    const bool listeInterdits = interdits <= total - interdits;
    std::vector<int> liste(listeInterdits ? cellules.begin() : cellules.begin() + interdits,
                           listeInterdits ? cellules.begin() + interdits : cellules.end());
    std::sort(liste.begin(), liste.end());
    out += std::to_string(numero) + (listeInterdits ? " 0" : " 1") + " 2 0 0 " + std::to_string(liste.size());
    for (int c : liste) out += " " + std::to_string(c / d) + " " + std::to_string(c % d);
    out += '\n';
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fputs("usage: gen_rb n d m p seed\n", stderr);
        return 2;
    }
    const long n = std::atol(argv[1]), d = std::atol(argv[2]), m = std::atol(argv[3]);
    const double p = std::atof(argv[4]);
    const unsigned long long graine = std::strtoull(argv[5], nullptr, 10);
    if (n < 2 || n > 65535 || d < 1 || d * d > 65535 || m < 0 || m > n * (n - 1) / 2 || m > 65535 || p < 0 || p > 1) {
        std::fputs("gen_rb: arguments out of range\n", stderr);
        return 2;
    }
    std::mt19937_64 rng(graine);
    std::string out = "?\n1\n0 " + std::to_string(d);
    for (long v = 0; v < d; ++v) out += " " + std::to_string(v);
    out += "\n" + std::to_string(n) + "\n";
    for (long i = 0; i < n; ++i) out += std::to_string(i) + " 0\n";
    // The m pairs, in draw order.
    std::vector<std::pair<long, long>> paires;
    std::unordered_set<std::uint64_t> vues;
    while (static_cast<long>(paires.size()) < m) {
        long x = static_cast<long>(tirer(rng, static_cast<std::uint64_t>(n)));
        long y = static_cast<long>(tirer(rng, static_cast<std::uint64_t>(n)));
        if (x == y) continue;
        if (x > y) std::swap(x, y);
        if (!vues.insert(static_cast<std::uint64_t>(x) * 65536u + static_cast<std::uint64_t>(y)).second) continue;
        paires.emplace_back(x, y);
    }
    out += std::to_string(m) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    for (long r = 0; r < m; ++r) {
        out.clear();
        ecrireRelation(out, static_cast<int>(r), static_cast<int>(d), p, rng);
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    out = std::to_string(m) + "\n";
    for (long r = 0; r < m; ++r)
        out += "2 " + std::to_string(paires[r].first) + " " + std::to_string(paires[r].second) + " " + std::to_string(r) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
